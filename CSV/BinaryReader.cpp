#include "CSV/BinaryReader.h"

#include "CSV/UnicodeBOM.h"

namespace csv {

BinaryReader::BinaryReader(std::shared_ptr<InputStream> stream, Endian endian, bool closeOnDeinit,
                           std::size_t bufferSize)
    : stream_(std::move(stream))
    , closeOnDeinit_(closeOnDeinit) {
    if (stream_->status() == StreamStatus::notOpen) {
        stream_->open();
    }
    if (stream_->status() != StreamStatus::open) {
        throw CSVError(CSVError::Kind::cannotOpenFile);
    }
    buffer_ = std::make_unique<std::uint8_t[]>(bufferSize);
    capacity_ = static_cast<std::ptrdiff_t>(bufferSize);
    const std::ptrdiff_t count = stream_->read(buffer_.get(), bufferSize);
    if (count < 0) {
        throw CSVError(CSVError::Kind::cannotReadFile);
    }
    count_ = count;

    const auto bom = UnicodeBOM::readBOM(buffer_.get(), static_cast<std::size_t>(count_));
    if (!bom) {
        endian_ = endian;
    } else if (endian == Endian::unknown || endian == bom->endian) {
        endian_ = bom->endian;
        position_ = static_cast<std::ptrdiff_t>(bom->length);
    } else {
        throw CSVError(CSVError::Kind::stringEndianMismatch);
    }
}

BinaryReader::~BinaryReader() {
    if (closeOnDeinit_ && stream_->status() != StreamStatus::closed) {
        stream_->close();
    }
}

std::uint16_t BinaryReader::readUInt16() {
    const std::uint16_t b0 = readByteOfUnit();
    const std::uint16_t b1 = readByteOfUnit();
    switch (endian_) {
    case Endian::big:
        return static_cast<std::uint16_t>(b0 << 8 | b1);
    case Endian::little:
        return static_cast<std::uint16_t>(b1 << 8 | b0);
    case Endian::unknown:
        break;
    }
    throw CSVError(CSVError::Kind::stringEndianMismatch);
}

std::uint32_t BinaryReader::readUInt32() {
    std::uint32_t bytes[4];
    for (auto& byte : bytes) {
        byte = readByteOfUnit();
    }
    switch (endian_) {
    case Endian::big:
        return bytes[0] << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3];
    case Endian::little:
        return bytes[3] << 24 | bytes[2] << 16 | bytes[1] << 8 | bytes[0];
    case Endian::unknown:
        break;
    }
    throw CSVError(CSVError::Kind::stringEndianMismatch);
}

void BinaryReader::refill(CSVError::Kind atEnd) {
    const std::ptrdiff_t count = stream_->read(buffer_.get(), static_cast<std::size_t>(capacity_));
    if (count < 0) {
        if (const auto error = stream_->error()) {
            throw CSVError::streamErrorHasOccurred(error);
        }
        throw CSVError(CSVError::Kind::cannotReadFile);
    }
    count_ = count;
    position_ = 0;
    if (count == 0) {
        throw CSVError(atEnd);
    }
}

} // namespace csv
