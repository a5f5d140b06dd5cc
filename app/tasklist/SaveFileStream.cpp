#include "tasklist/SaveFileStream.h"

SaveFileStream::SaveFileStream(const QString& path)
    : file_(path) {}

void SaveFileStream::open() {
    if (status_ != csv::StreamStatus::notOpen) {
        return;
    }
    // Unbuffered: every write reaches the file at once and reports its own failure.
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        fail();
        return;
    }
    buffer_.resize(bufferSize);
    setWindow(buffer_.data(), buffer_.data() + buffer_.size());
    status_ = csv::StreamStatus::open;
}

void SaveFileStream::close() {
    if (status_ != csv::StreamStatus::open) {
        return;
    }
    if (flushBuffer()) {
        status_ = csv::StreamStatus::closed;
    }
    setWindow(nullptr, nullptr);
}

bool SaveFileStream::commit() {
    if (status_ != csv::StreamStatus::closed) {
        file_.cancelWriting();
        return false;
    }
    if (!file_.commit()) {
        reason_ = file_.errorString();
        return false;
    }
    return true;
}

std::ptrdiff_t SaveFileStream::writeThrough(const std::uint8_t* bytes, std::size_t length) {
    if (status_ != csv::StreamStatus::open || !flushBuffer()) {
        return -1;
    }
    if (length >= buffer_.size()) {
        if (!writeAll(bytes, length)) {
            return -1;
        }
    } else {
        std::copy(bytes, bytes + length, buffer_.data());
        setWindow(buffer_.data() + length, buffer_.data() + buffer_.size());
    }
    return static_cast<std::ptrdiff_t>(length);
}

bool SaveFileStream::flushBuffer() {
    if (!writeAll(buffer_.data(), static_cast<std::size_t>(windowNext() - buffer_.data()))) {
        return false;
    }
    setWindow(buffer_.data(), buffer_.data() + buffer_.size());
    return true;
}

bool SaveFileStream::writeAll(const std::uint8_t* bytes, std::size_t length) {
    // A short write is no failure yet; the next one tells why the file takes no more.
    for (qint64 done = 0, size = static_cast<qint64>(length); done < size;) {
        const qint64 written =
            file_.write(reinterpret_cast<const char*>(bytes) + done, size - done);
        if (written <= 0) {
            fail();
            return false;
        }
        done += written;
    }
    return true;
}

void SaveFileStream::fail() {
    reason_ = file_.errorString();
    status_ = csv::StreamStatus::error;
    error_ = std::make_error_code(std::errc::io_error);
    setWindow(nullptr, nullptr);
}
