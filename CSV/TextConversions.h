#pragma once

#include "CSV/DecodedTypes.h"

#include <charconv>
#include <concepts>
#include <optional>
#include <string_view>
#include <system_error>

// The row decoder's conversions of field text; nothing when the text does not convert.
namespace csv::detail {

// Exactly "true" or "false".
std::optional<bool> parseBool(std::string_view text);

// A number with an optional sign that must fit the type: a decimal integer for integral
// types; decimal or scientific notation with a dot, whatever the locale, or "inf" and "nan"
// for floating-point types.
template <typename T>
requires std::integral<T> || std::floating_point<T> std::optional<T>
parseNumber(std::string_view text) {
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') {
        text.remove_prefix(1);
    }
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// RFC 4648 Base64 with its padding.
std::optional<Bytes> decodeBase64(std::string_view text);

// The internet date-time form: YYYY-MM-DDTHH:MM:SS and Z or an offset such as +01:00.
std::optional<TimePoint> parseISO8601(std::string_view text);

} // namespace csv::detail
