#pragma once

#include <cstddef>
#include <cstdint>
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
class OutputStream {
public:
    virtual ~OutputStream() = default;

    virtual StreamStatus status() const = 0;
    virtual void open() = 0;
    // A stream that cannot finish its output (e.g. a failed flush) ends in the error status.
    virtual void close() = 0;
    // Takes up to length bytes: returns how many, or a negative count on failure.
    virtual std::ptrdiff_t write(const std::uint8_t* bytes, std::size_t length) = 0;
    virtual std::error_code error() const = 0;
};

} // namespace csv
