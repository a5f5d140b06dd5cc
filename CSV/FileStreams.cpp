#include "CSV/FileStreams.h"

#include <cerrno>
#include <cstring>

namespace csv {

namespace {

std::error_code lastError() {
    const int code = errno != 0 ? errno : EIO;
    return {code, std::generic_category()};
}

std::error_code notOpenError() {
    return std::make_error_code(std::errc::bad_file_descriptor);
}

} // namespace

void FileInputStream::open() {
    if (status_ != StreamStatus::notOpen) {
        return;
    }
    errno = 0;
    file_.reset(std::fopen(path_.c_str(), "rb"));
    if (!file_) {
        fail();
        return;
    }
    status_ = StreamStatus::open;
}

void FileInputStream::close() {
    file_.reset();
    status_ = StreamStatus::closed;
}

std::ptrdiff_t FileInputStream::read(std::uint8_t* buffer, std::size_t maxLength) {
    if (status_ == StreamStatus::atEnd) {
        return 0;
    }
    if (status_ != StreamStatus::open) {
        error_ = notOpenError();
        return -1;
    }
    errno = 0;
    const std::size_t count = std::fread(buffer, 1, maxLength, file_.get());
    if (count > 0 || maxLength == 0) {
        return static_cast<std::ptrdiff_t>(count);
    }
    if (std::ferror(file_.get())) {
        fail();
        return -1;
    }
    status_ = StreamStatus::atEnd;
    return 0;
}

bool FileInputStream::hasBytesAvailable() {
    if (status_ != StreamStatus::open) {
        return false;
    }
    const int next = std::fgetc(file_.get());
    if (next == EOF) {
        // A failure is left for the next read to report.
        return std::ferror(file_.get()) != 0;
    }
    std::ungetc(next, file_.get());
    return true;
}

void FileInputStream::fail() {
    error_ = lastError();
    status_ = StreamStatus::error;
}

FileOutputStream::~FileOutputStream() {
    if (status_ == StreamStatus::open) {
        close();
    }
}

void FileOutputStream::open() {
    if (status_ != StreamStatus::notOpen) {
        return;
    }
    errno = 0;
    file_.reset(std::fopen(path_.c_str(), "wb"));
    if (!file_) {
        fail();
        return;
    }
    buffer_.resize(bufferSize);
    setWindow(buffer_.data(), buffer_.data() + buffer_.size());
    status_ = StreamStatus::open;
}

void FileOutputStream::close() {
    if (status_ != StreamStatus::open) {
        file_.reset();
        if (status_ != StreamStatus::error) {
            status_ = StreamStatus::closed;
        }
        return;
    }
    const bool flushed = flushBuffer();
    setWindow(nullptr, nullptr);
    errno = 0;
    const bool closed = std::fclose(file_.release()) == 0;
    if (flushed && !closed) {
        fail();
    }
    if (status_ == StreamStatus::open) {
        status_ = StreamStatus::closed;
    }
}

std::ptrdiff_t FileOutputStream::writeThrough(const std::uint8_t* bytes, std::size_t length) {
    if (status_ != StreamStatus::open) {
        if (status_ != StreamStatus::error) {
            error_ = notOpenError();
        }
        return -1;
    }
    if (!flushBuffer()) {
        return -1;
    }
    if (length >= buffer_.size()) {
        errno = 0;
        if (std::fwrite(bytes, 1, length, file_.get()) != length) {
            fail();
            return -1;
        }
        return static_cast<std::ptrdiff_t>(length);
    }
    return write(bytes, length);
}

// Writes what the window holds and lends the whole buffer again.
bool FileOutputStream::flushBuffer() {
    const auto used = static_cast<std::size_t>(windowNext() - buffer_.data());
    setWindow(buffer_.data(), buffer_.data() + buffer_.size());
    errno = 0;
    if (std::fwrite(buffer_.data(), 1, used, file_.get()) != used ||
        std::fflush(file_.get()) != 0) {
        fail();
        return false;
    }
    return true;
}

void FileOutputStream::fail() {
    setWindow(nullptr, nullptr);
    error_ = lastError();
    status_ = StreamStatus::error;
}

} // namespace csv
