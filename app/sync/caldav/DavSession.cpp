#include "sync/caldav/DavSession.h"

#include "sync/Origin.h"
#include "sync/caldav/HttpAnswerReader.h"

#include <QEventLoop>
#include <QSslSocket>
#include <QTimer>

#include <algorithm>

namespace {

// What the socket buffers before the answer is read here, so that a flood waits in the
// network rather than in memory.
constexpr qint64 readChunk = 64 * 1024;

QString noTime() {
    return QStringLiteral("no answer in time");
}

QString stopped() {
    return QStringLiteral("stopped");
}

QByteArray requestHead(const QByteArray& verb, const QUrl& url, qsizetype bodySize) {
    QByteArray target = url.path(QUrl::FullyEncoded).toLatin1();
    if (target.isEmpty()) {
        target = "/";
    }
    if (url.hasQuery()) {
        target += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    }
    return verb + ' ' + target + " HTTP/1.1\r\nHost: " +
           url.adjusted(QUrl::RemoveUserInfo).authority(QUrl::FullyEncoded).toLatin1() +
           "\r\nConnection: close\r\nContent-Length: " + QByteArray::number(bodySize) + "\r\n";
}

} // namespace

DavSession::DavSession(const QUrl& origin, const Credentials& credentials, Bounds bounds)
    : origin_(origin)
    , authorization_(
          "Basic " +
          (credentials.user + QLatin1Char(':') + credentials.password).toUtf8().toBase64())
    , bounds_(std::move(bounds)) {}

DavSession::Failure DavSession::Answer::failure() const {
    if (!error.isEmpty() || status == 0) {
        return {0, error};
    }
    return {status, QStringLiteral("HTTP %1").arg(status)};
}

bool DavSession::isHeaderSafe(const QByteArray& value) {
    return std::ranges::none_of(value, [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7f;
    });
}

QString DavSession::elsewhere(const QUrl& url) {
    return QStringLiteral(
               "The server sends you on to %1 — set up with that address if you trust it")
        .arg(url.toDisplayString(QUrl::RemoveUserInfo));
}

DavSession::Answer DavSession::send(const QByteArray& verb, const QUrl& url, const QByteArray& body,
                                    const Headers& headers, qsizetype cap) {
    Answer answer;
    answer.url = url;
    if (!Origin::same(url, origin_)) {
        answer.error = elsewhere(url);
        return answer;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::min(bounds_.end - Clock::now(), Clock::duration(bounds_.request)));
    if (bounds_.stop.stop_requested() || left.count() <= 0) {
        answer.error = bounds_.stop.stop_requested() ? stopped() : noTime();
        return answer;
    }

    QByteArray request =
        requestHead(verb, url, body.size()) + "Authorization: " + authorization_ + "\r\n";
    for (const auto& [name, value] : headers) {
        request += name + ": " + value + "\r\n";
    }
    request += "\r\n" + body;

    QEventLoop loop;
    HttpAnswerReader reader(cap);
    QString cutOff;
    QSslSocket socket;
    socket.setReadBufferSize(readChunk);
    const auto cut = [&](const QString& why) {
        if (cutOff.isEmpty()) {
            cutOff = why;
        }
        loop.quit();
    };
    QObject::connect(&socket, &QSslSocket::readyRead, &loop, [&] {
        if (reader.feed(socket.readAll()) != HttpAnswerReader::State::Reading) {
            loop.quit();
        }
    });
    QObject::connect(&socket, &QSslSocket::disconnected, &loop, [&] {
        reader.feed(socket.readAll());
        reader.end();
        loop.quit();
    });
    QObject::connect(&socket, &QSslSocket::errorOccurred, &loop,
                     [&](QAbstractSocket::SocketError error) {
                         if (error != QAbstractSocket::RemoteHostClosedError) {
                             cut(socket.errorString());
                         }
                     });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] { cut(noTime()); });
    deadline.start(left);
    // Runs on the thread that asks for the stop: hand the cut to this one.
    const std::stop_callback onStop(bounds_.stop, [&loop, &cut] {
        QMetaObject::invokeMethod(
            &loop, [&cut] { cut(stopped()); }, Qt::QueuedConnection);
    });
    if (url.scheme() == u"https") {
        socket.connectToHostEncrypted(url.host(), static_cast<quint16>(Origin::port(url)));
    } else {
        socket.connectToHost(url.host(), static_cast<quint16>(Origin::port(url)));
    }
    socket.write(request);
    loop.exec();
    QObject::disconnect(&socket, nullptr, &loop, nullptr);
    socket.abort();
    // A loop that returns early belongs to a thread asked to quit.
    if (cutOff.isEmpty() && reader.feed({}) != HttpAnswerReader::State::Done) {
        cutOff = reader.error().isEmpty() ? stopped() : reader.error();
    }
    if (!cutOff.isEmpty()) {
        answer.error = cutOff;
        return answer;
    }
    answer.status = reader.status();
    answer.body = reader.body();
    const QByteArray etag = reader.header("etag");
    answer.etag = isHeaderSafe(etag) ? etag : QByteArray();
    answer.location = QUrl::fromEncoded(reader.header("location"));
    return answer;
}

DavSession::Answer DavSession::propfind(const QUrl& url, int depth, const QByteArray& props,
                                        qsizetype cap) {
    const QByteArray body = R"(<?xml version="1.0" encoding="utf-8"?>)"
                            R"(<d:propfind xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav">)"
                            "<d:prop>" +
                            props + "</d:prop></d:propfind>";
    const Headers headers{{"Content-Type", "application/xml; charset=utf-8"},
                          {"Depth", QByteArray::number(depth)}};
    Answer answer = send("PROPFIND", url, body, headers, cap);
    // Redirections elsewhere end here: `send` refuses them unsent.
    for (int hops = 0; hops < 5 && answer.status / 100 == 3 && !answer.location.isEmpty(); ++hops) {
        answer = send("PROPFIND", answer.url.resolved(answer.location), body, headers, cap);
    }
    return answer;
}
