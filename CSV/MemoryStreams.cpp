#include "CSV/MemoryStreams.h"

#include <algorithm>
#include <cstring>

namespace csv {

namespace {

std::error_code notOpenError() {
    return std::make_error_code(std::errc::bad_file_descriptor);
}

} // namespace

void MemoryInputStream::open() {
    if (status_ == StreamStatus::notOpen) {
        status_ = StreamStatus::open;
    }
}

std::ptrdiff_t MemoryInputStream::read(std::uint8_t* buffer, std::size_t maxLength) {
    if (status_ == StreamStatus::atEnd) {
        return 0;
    }
    if (status_ != StreamStatus::open) {
        error_ = notOpenError();
        return -1;
    }
    const std::size_t count = std::min(maxLength, bytes_.size() - position_);
    if (count == 0) {
        status_ = StreamStatus::atEnd;
        return 0;
    }
    std::memcpy(buffer, bytes_.data() + position_, count);
    position_ += count;
    return static_cast<std::ptrdiff_t>(count);
}

bool MemoryInputStream::hasBytesAvailable() {
    return status_ == StreamStatus::open && position_ < bytes_.size();
}

void MemoryOutputStream::open() {
    if (status_ == StreamStatus::notOpen) {
        status_ = StreamStatus::open;
    }
}

std::ptrdiff_t MemoryOutputStream::writeThrough(const std::uint8_t* bytes, std::size_t length) {
    if (status_ != StreamStatus::open) {
        error_ = notOpenError();
        return -1;
    }
    data_.append(reinterpret_cast<const char*>(bytes), length);
    return static_cast<std::ptrdiff_t>(length);
}

} // namespace csv
