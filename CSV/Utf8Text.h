#pragma once

#include "CSV/UnicodeCodecs.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// UTF-8 helpers shared by the reader and the writer.
namespace csv::detail {

inline void appendScalar(std::string& text, char32_t scalar) {
    if (scalar < 0x80) {
        text.push_back(static_cast<char>(scalar));
    } else {
        UTF8::encode(scalar, [&](std::uint8_t unit) { text.push_back(static_cast<char>(unit)); });
    }
}

// The length of the well-formed sequence at p, or 0 when it is ill-formed or cut off by end.
inline int wellFormedLength(const std::uint8_t* p, const std::uint8_t* end) {
    const int length = UTF8::sequenceLength(*p);
    if (length <= 1 || end - p < length) {
        return length == 1 ? 1 : 0;
    }
    if (p[1] < UTF8::secondMin(*p) || p[1] > UTF8::secondMax(*p)) {
        return 0;
    }
    for (int i = 2; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

// The scalar of a well-formed sequence of the given length.
inline char32_t scalarAt(const std::uint8_t* p, int length) {
    char32_t scalar = p[0] & (0x7F >> (length == 1 ? 0 : length));
    for (int i = 1; i < length; ++i) {
        scalar = scalar << 6 | (p[i] & 0x3F);
    }
    return scalar;
}

inline const std::uint8_t* bytesOf(std::string_view text) {
    return reinterpret_cast<const std::uint8_t*>(text.data());
}

inline bool isWellFormed(std::string_view text) {
    const std::uint8_t* p = bytesOf(text);
    const std::uint8_t* const end = p + text.size();
    while (p != end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const int length = wellFormedLength(p, end);
        if (length == 0) {
            return false;
        }
        p += length;
    }
    return true;
}

// Steps through the scalars of well-formed UTF-8 text.
class ScalarCursor {
public:
    explicit ScalarCursor(std::string_view text)
        : p_(bytesOf(text))
        , end_(p_ + text.size()) {}

    std::optional<char32_t> next() {
        if (p_ == end_) {
            return std::nullopt;
        }
        const int length = UTF8::sequenceLength(*p_);
        const char32_t scalar = scalarAt(p_, length);
        p_ += length;
        return scalar;
    }

private:
    const std::uint8_t* p_;
    const std::uint8_t* end_;
};

// The last scalar of well-formed, non-empty UTF-8 text, and its length in bytes.
struct LastScalar {
    char32_t scalar;
    std::size_t length;
};
inline LastScalar lastScalar(std::string_view text) {
    std::size_t start = text.size() - 1;
    while (start > 0 && (static_cast<std::uint8_t>(text[start]) & 0xC0) == 0x80) {
        --start;
    }
    const std::size_t length = text.size() - start;
    return {scalarAt(bytesOf(text) + start, static_cast<int>(length)), length};
}

} // namespace csv::detail
