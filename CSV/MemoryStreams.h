#pragma once

#include "CSV/Streams.h"

#include <string>

namespace csv {

// Reads the bytes of a string held in memory.
class MemoryInputStream final : public InputStream {
public:
    explicit MemoryInputStream(std::string bytes)
        : bytes_(std::move(bytes)) {}

    StreamStatus status() const override { return status_; }
    void open() override;
    void close() override { status_ = StreamStatus::closed; }
    std::ptrdiff_t read(std::uint8_t* buffer, std::size_t maxLength) override;
    bool hasBytesAvailable() override;
    std::error_code error() const override { return error_; }

private:
    std::string bytes_;
    std::size_t position_ = 0;
    StreamStatus status_ = StreamStatus::notOpen;
    std::error_code error_;
};

// Collects everything written into a string.
class MemoryOutputStream final : public OutputStream {
public:
    StreamStatus status() const override { return status_; }
    void open() override;
    void close() override { status_ = StreamStatus::closed; }
    std::error_code error() const override { return error_; }

    const std::string& data() const { return data_; }

private:
    std::ptrdiff_t writeThrough(const std::uint8_t* bytes, std::size_t length) override;

    std::string data_;
    StreamStatus status_ = StreamStatus::notOpen;
    std::error_code error_;
};

} // namespace csv
