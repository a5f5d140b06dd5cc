#pragma once

#include "CSV/Streams.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

namespace csv {

namespace detail {
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;
} // namespace detail

// Reads a file; the file is opened by open().
class FileInputStream final : public InputStream {
public:
    explicit FileInputStream(std::filesystem::path path)
        : path_(std::move(path)) {}

    StreamStatus status() const override { return status_; }
    void open() override;
    void close() override;
    std::ptrdiff_t read(std::uint8_t* buffer, std::size_t maxLength) override;
    // Looks one byte ahead, so that the end of the file is known before a read meets it.
    bool hasBytesAvailable() override;
    std::error_code error() const override { return error_; }

private:
    void fail();

    std::filesystem::path path_;
    detail::FileHandle file_;
    StreamStatus status_ = StreamStatus::notOpen;
    std::error_code error_;
};

// Writes a file (created or truncated by open()). Output is buffered here, since the CSV writer
// hands over one code unit per call; close() flushes and ends in the error status if that fails.
class FileOutputStream final : public OutputStream {
public:
    static constexpr std::size_t bufferSize = 64 * 1024;

    explicit FileOutputStream(std::filesystem::path path)
        : path_(std::move(path)) {}
    ~FileOutputStream() override;
    FileOutputStream(const FileOutputStream&) = delete;
    FileOutputStream& operator=(const FileOutputStream&) = delete;

    StreamStatus status() const override { return status_; }
    void open() override;
    void close() override;
    std::error_code error() const override { return error_; }

private:
    // Called when the buffer (lent to write() as its window) is full, or the stream not open.
    std::ptrdiff_t writeThrough(const std::uint8_t* bytes, std::size_t length) override;
    bool flushBuffer();
    void fail();

    std::filesystem::path path_;
    detail::FileHandle file_;
    std::vector<std::uint8_t> buffer_;
    StreamStatus status_ = StreamStatus::notOpen;
    std::error_code error_;
};

} // namespace csv
