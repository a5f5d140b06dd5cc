#pragma once

#include "CSV/CSVError.h"
#include "CSV/Endian.h"
#include "CSV/Streams.h"
#include "CSV/UnicodeCodecs.h"
#include "CSV/Utf8Text.h"

#include <cstdint>
#include <string_view>
#include <type_traits>

namespace csv::detail {

// Encodes the scalars of well-formed UTF-8 text with a codec and hands every code unit to the
// stream in a write call of its own, without a byte-order mark. A short write is recorded, the
// rest of that scalar still written, and then cannotWriteStream thrown.
class ScalarSink {
public:
    virtual ~ScalarSink() = default;
    virtual void write(OutputStream& stream, std::string_view text) const = 0;
};

template <UnicodeCodec Codec> class CodecSink final : public ScalarSink {
public:
    // 16- and 32-bit units go most significant byte first only for Endian::big.
    explicit CodecSink(Endian endian)
        : endian_(endian) {}

    void write(OutputStream& stream, std::string_view text) const override {
        if constexpr (std::is_same_v<Codec, UTF8>) {
            writeUTF8(stream, text);
        } else {
            ScalarCursor scalars(text);
            while (const auto scalar = scalars.next()) {
                bool shortWrite = false;
                Codec::encode(*scalar, [&](typename Codec::CodeUnit unit) {
                    shortWrite |= !writeUnit(stream, unit);
                });
                if (shortWrite) {
                    throw CSVError(CSVError::Kind::cannotWriteStream);
                }
            }
        }
    }

private:
    // The text's bytes are already its UTF-8 code units.
    static void writeUTF8(OutputStream& stream, std::string_view text) {
        bool shortWrite = false;
        for (const char c : text) {
            const auto unit = static_cast<std::uint8_t>(c);
            if (shortWrite && (unit & 0xC0) != 0x80) {
                throw CSVError(CSVError::Kind::cannotWriteStream);
            }
            shortWrite |= stream.write(&unit, 1) != 1;
        }
        if (shortWrite) {
            throw CSVError(CSVError::Kind::cannotWriteStream);
        }
    }

    template <class Unit> bool writeUnit(OutputStream& stream, Unit unit) const {
        std::uint8_t bytes[sizeof(Unit)];
        for (std::size_t i = 0; i < sizeof(Unit); ++i) {
            const std::size_t shift = endian_ == Endian::big ? sizeof(Unit) - 1 - i : i;
            bytes[i] = static_cast<std::uint8_t>(unit >> (8 * shift));
        }
        return stream.write(bytes, sizeof(Unit)) == static_cast<std::ptrdiff_t>(sizeof(Unit));
    }

    Endian endian_;
};

} // namespace csv::detail
