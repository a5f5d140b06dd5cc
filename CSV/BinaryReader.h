#pragma once

#include "CSV/CSVError.h"
#include "CSV/Endian.h"
#include "CSV/Sequence.h"
#include "CSV/Streams.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

namespace csv {

// Pulls bytes from a stream through one fixed buffer, skips a byte-order mark at the start, and
// hands out 8-, 16- and 32-bit code units in a fixed byte order.
class BinaryReader {
public:
    template <class Unit> class CodeUnitIterator;
    using UInt8Iterator = CodeUnitIterator<std::uint8_t>;
    using UInt16Iterator = CodeUnitIterator<std::uint16_t>;
    using UInt32Iterator = CodeUnitIterator<std::uint32_t>;

    // Opens the stream if needed and buffers its first block. Throws cannotOpenFile,
    // cannotReadFile or stringEndianMismatch (the order asked for contradicts the mark found).
    BinaryReader(std::shared_ptr<InputStream> stream, Endian endian, bool closeOnDeinit,
                 std::size_t bufferSize);
    ~BinaryReader();
    BinaryReader(const BinaryReader&) = delete;
    BinaryReader& operator=(const BinaryReader&) = delete;

    Endian endian() const { return endian_; }
    bool hasBytesAvailable() { return count_ - position_ > 0 || stream_->hasBytesAvailable(); }

    // Each throws a CSVError when the stream fails or ends.
    std::uint8_t readUInt8() {
        if (position_ >= count_) {
            refill(CSVError::Kind::cannotReadFile);
        }
        return buffer_[position_++];
    }
    std::uint16_t readUInt16();
    std::uint32_t readUInt32();

    // The buffered bytes not read yet, for callers that scan them in place; consume(n) marks
    // the first n of them as read.
    std::span<const std::uint8_t> bufferedBytes() const {
        return {buffer_.get() + position_, static_cast<std::size_t>(count_ - position_)};
    }
    void consume(std::size_t count) { position_ += static_cast<std::ptrdiff_t>(count); }

private:
    void refill(CSVError::Kind atEnd);
    std::uint8_t readByteOfUnit() {
        if (position_ >= count_) {
            refill(CSVError::Kind::stringEncodingMismatch);
        }
        return buffer_[position_++];
    }

    std::shared_ptr<InputStream> stream_;
    Endian endian_ = Endian::unknown;
    bool closeOnDeinit_;
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::ptrdiff_t capacity_ = 0;
    std::ptrdiff_t count_ = 0;
    std::ptrdiff_t position_ = 0;
};

// The code units of a reader as a sequence that ends instead of failing: a failure is handed
// to errorHandler. There is no finished flag, so a later call tries the stream again.
template <class Unit> class BinaryReader::CodeUnitIterator {
public:
    using CodeUnit = Unit;

    explicit CodeUnitIterator(std::shared_ptr<BinaryReader> reader)
        : reader_(std::move(reader)) {}

    std::optional<Unit> next() {
        if (!reader_->hasBytesAvailable()) {
            return std::nullopt;
        }
        try {
            return read();
        } catch (const CSVError& error) {
            if (errorHandler) {
                errorHandler(error);
            }
            return std::nullopt;
        }
    }

    BinaryReader& reader() const { return *reader_; }
    // The reader's buffer, for scanning in place (see BinaryReader::bufferedBytes).
    std::span<const std::uint8_t> bufferedBytes() const { return reader_->bufferedBytes(); }
    void consume(std::size_t count) { reader_->consume(count); }
    Endian endian() const { return reader_->endian(); }

    NextIterator<CodeUnitIterator> begin() { return NextIterator<CodeUnitIterator>(*this); }
    std::default_sentinel_t end() const { return {}; }

    ErrorHandler errorHandler;

private:
    Unit read() {
        if constexpr (sizeof(Unit) == 1) {
            return reader_->readUInt8();
        } else if constexpr (sizeof(Unit) == 2) {
            return reader_->readUInt16();
        } else {
            return reader_->readUInt32();
        }
    }

    std::shared_ptr<BinaryReader> reader_;
};

} // namespace csv
