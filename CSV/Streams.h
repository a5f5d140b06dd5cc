#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <system_error>

namespace csv {

enum class StreamStatus { notOpen, open, atEnd, closed, error };

// A source of bytes. Streams start not open; open() moves them to open (or to error).
class InputStream {
public:
    virtual ~InputStream() = default;

    virtual StreamStatus status() const = 0;
    virtual void open() = 0;
    virtual void close() = 0;
    // Copies up to maxLength bytes into buffer: returns how many (> 0), 0 at the end of the
    // stream, or a negative count on failure (see error()).
    virtual std::ptrdiff_t read(std::uint8_t* buffer, std::size_t maxLength) = 0;
    // True when a read may deliver data; false once the stream is known to be used up.
    virtual bool hasBytesAvailable() = 0;
    // The last failure, or an empty code.
    virtual std::error_code error() const = 0;
};

// A sink of bytes. Streams start not open; open() moves them to open (or to error).
// A stream may lend a window of its own buffer: write() copies what fits there without a call
// into the stream, which matters when every code unit is a write of its own.
class OutputStream {
public:
    virtual ~OutputStream() = default;

    virtual StreamStatus status() const = 0;
    virtual void open() = 0;
    // A stream that cannot finish its output (e.g. a failed flush) ends in the error status.
    virtual void close() = 0;
    // Takes up to length bytes: returns how many, or a negative count on failure.
    std::ptrdiff_t write(const std::uint8_t* bytes, std::size_t length) {
        if (windowNext_ && length <= static_cast<std::size_t>(windowEnd_ - windowNext_)) {
            std::memcpy(windowNext_, bytes, length);
            windowNext_ += length;
            return static_cast<std::ptrdiff_t>(length);
        }
        return writeThrough(bytes, length);
    }
    virtual std::error_code error() const = 0;

protected:
    // What does not fit the window (all of it, without one) goes here.
    virtual std::ptrdiff_t writeThrough(const std::uint8_t* bytes, std::size_t length) = 0;
    // Lends [next, end) to write(); no window when both are null.
    void setWindow(std::uint8_t* next, std::uint8_t* end) {
        windowNext_ = next;
        windowEnd_ = end;
    }
    std::uint8_t* windowNext() const { return windowNext_; }

private:
    std::uint8_t* windowNext_ = nullptr;
    std::uint8_t* windowEnd_ = nullptr;
};

} // namespace csv
