#include "CSV/UnicodeBOM.h"

#include <algorithm>

namespace csv {

namespace {

template <std::size_t N>
bool startsWith(const std::uint8_t* buffer, const std::array<std::uint8_t, N>& bom) {
    return std::equal(bom.begin(), bom.end(), buffer);
}

} // namespace

std::optional<UnicodeBOM::Match> UnicodeBOM::readBOM(const std::uint8_t* buffer,
                                                     std::size_t count) {
    if (count >= 4) {
        if (startsWith(buffer, utf32BE)) {
            return Match{Endian::big, 4};
        }
        if (startsWith(buffer, utf32LE)) {
            return Match{Endian::little, 4};
        }
    }
    if (count >= 3 && startsWith(buffer, utf8)) {
        return Match{Endian::unknown, 3};
    }
    if (count >= 2) {
        if (startsWith(buffer, utf16BE)) {
            return Match{Endian::big, 2};
        }
        if (startsWith(buffer, utf16LE)) {
            return Match{Endian::little, 2};
        }
    }
    return std::nullopt;
}

} // namespace csv
