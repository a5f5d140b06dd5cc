#include "tasklist/ExportStream.h"

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
        const auto size = static_cast<qint64>(length);
        if (file_.write(reinterpret_cast<const char*>(bytes), size) != size) {
            fail();
            return -1;
        }
    } else {
        std::copy(bytes, bytes + length, buffer_.data());
        setWindow(buffer_.data() + length, buffer_.data() + buffer_.size());
    }
    return static_cast<std::ptrdiff_t>(length);
}

bool SaveFileStream::flushBuffer() {
    const auto size = static_cast<qint64>(windowNext() - buffer_.data());
    if (size > 0 && file_.write(reinterpret_cast<const char*>(buffer_.data()), size) != size) {
        fail();
        return false;
    }
    setWindow(buffer_.data(), buffer_.data() + buffer_.size());
    return true;
}

void SaveFileStream::fail() {
    reason_ = file_.errorString();
    status_ = csv::StreamStatus::error;
    error_ = std::make_error_code(std::errc::io_error);
    setWindow(nullptr, nullptr);
}

std::unique_ptr<ExportStream> openSaveFile(const QString& path) {
    return std::make_unique<SaveFileStream>(path);
}
