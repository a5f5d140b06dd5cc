#pragma once

#include "CSV/Endian.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace csv {

class BinaryReader;

// The byte-order marks the reader recognises at the start of a stream, in stream order.
class UnicodeBOM {
public:
    static constexpr std::array<std::uint8_t, 3> utf8{0xEF, 0xBB, 0xBF};
    static constexpr std::array<std::uint8_t, 2> utf16BE{0xFE, 0xFF};
    static constexpr std::array<std::uint8_t, 2> utf16LE{0xFF, 0xFE};
    static constexpr std::array<std::uint8_t, 4> utf32BE{0x00, 0x00, 0xFE, 0xFF};
    static constexpr std::array<std::uint8_t, 4> utf32LE{0xFF, 0xFE, 0x00, 0x00};

private:
    friend class BinaryReader;

    struct Match {
        Endian endian;
        std::size_t length;
    };
    // UTF-32 is tried first: FF FE 00 00 is UTF-32LE, never UTF-16LE followed by U+0000.
    static std::optional<Match> readBOM(const std::uint8_t* buffer, std::size_t count);
};

} // namespace csv
