#include "sync/caldav/HttpAnswerReader.h"

namespace {

// A status line with its headers, or one line of chunk framing, is never longer.
constexpr qsizetype headCap = 64 * 1024;
constexpr qsizetype lineCap = 1024;

} // namespace

QString HttpAnswerReader::tooLarge() {
    return QStringLiteral("the server's answer is too large");
}

QByteArray HttpAnswerReader::header(QByteArrayView name) const {
    for (const auto& [key, value] : headers_) {
        if (key == name) {
            return value;
        }
    }
    return {};
}

HttpAnswerReader::State HttpAnswerReader::fail(const QString& why) {
    error_ = why;
    body_.clear();
    pending_.clear();
    return state_ = State::Failed;
}

void HttpAnswerReader::take(qsizetype n) {
    body_ += pending_.first(n);
    pending_.remove(0, n);
}

// Caps the line itself, not what has arrived so far, so that an answer reads the same however
// its bytes are cut: the last byte held may be the CR that starts the line's end.
bool HttpAnswerReader::readLine(QByteArray& line) {
    const qsizetype at = pending_.indexOf("\r\n");
    if ((at < 0 ? pending_.size() - 1 : at) > lineCap) {
        fail(QStringLiteral("the server's answer is not HTTP"));
        return false;
    }
    if (at < 0) {
        return false;
    }
    line = pending_.first(at);
    pending_.remove(0, at + 2);
    return true;
}

// False when the head is not all there yet, or is not HTTP.
bool HttpAnswerReader::readHead() {
    const qsizetype at = pending_.indexOf("\r\n\r\n");
    // As for a line: up to three bytes held may start the blank line that ends the head.
    if ((at < 0 ? pending_.size() - 3 : at) > headCap) {
        fail(QStringLiteral("the server's answer has an oversized head"));
        return false;
    }
    if (at < 0) {
        return false;
    }
    const QList<QByteArray> lines = pending_.first(at).split('\n');
    pending_.remove(0, at + 4);
    const QList<QByteArray> statusLine = lines.front().trimmed().split(' ');
    bool number = false;
    status_ = statusLine.value(1).toInt(&number);
    if (!statusLine.front().startsWith("HTTP/1.") || !number || status_ < 100 || status_ > 599) {
        fail(QStringLiteral("the server's answer is not HTTP"));
        return false;
    }
    headers_.clear();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0) {
            headers_.append(
                {lines[i].first(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed()});
        }
    }
    if (status_ / 100 == 1) {
        return true; // an interim answer; the real one follows
    }
    bool known = false;
    const qint64 length = header("content-length").toLongLong(&known);
    if (status_ == 204 || status_ == 304) {
        part_ = Part::Done;
    } else if (header("transfer-encoding").toLower().contains("chunked")) {
        part_ = Part::ChunkSize;
    } else if (known && length >= 0) {
        if (length > cap_) {
            fail(tooLarge());
            return false;
        }
        left_ = length;
        part_ = length == 0 ? Part::Done : Part::Length;
    } else {
        part_ = Part::UntilClose;
    }
    return true;
}

HttpAnswerReader::State HttpAnswerReader::feed(QByteArrayView bytes) {
    if (state_ != State::Reading) {
        return state_;
    }
    pending_ += bytes;
    QByteArray line;
    for (bool more = true; more && state_ == State::Reading;) {
        switch (part_) {
        case Part::Head:
            more = readHead();
            break;
        case Part::Length:
        case Part::ChunkData: {
            const qsizetype n = static_cast<qsizetype>(std::min<qint64>(left_, pending_.size()));
            if (body_.size() + n > cap_) {
                return fail(tooLarge());
            }
            take(n);
            left_ -= n;
            more = left_ == 0;
            if (more) {
                part_ = part_ == Part::Length ? Part::Done : Part::ChunkEnd;
            }
            break;
        }
        case Part::ChunkSize:
            more = readLine(line);
            if (more) {
                bool hex = false;
                left_ = line.split(';').front().trimmed().toLongLong(&hex, 16);
                if (!hex || left_ < 0) {
                    return fail(QStringLiteral("the server's answer is not HTTP"));
                }
                part_ = left_ == 0 ? Part::Trailer : Part::ChunkData;
            }
            break;
        case Part::ChunkEnd:
        case Part::Trailer:
            more = readLine(line);
            if (more && (part_ == Part::ChunkEnd || line.isEmpty())) {
                part_ = part_ == Part::ChunkEnd ? Part::ChunkSize : Part::Done;
            }
            break;
        case Part::UntilClose:
            if (body_.size() + pending_.size() > cap_) {
                return fail(tooLarge());
            }
            take(pending_.size());
            more = false;
            break;
        case Part::Done:
            state_ = State::Done;
            break;
        }
    }
    return state_;
}

HttpAnswerReader::State HttpAnswerReader::end() {
    if (state_ == State::Reading) {
        if (part_ == Part::UntilClose || part_ == Part::Done) {
            state_ = State::Done;
        } else {
            fail(QStringLiteral("the server closed the connection mid-answer"));
        }
    }
    return state_;
}
