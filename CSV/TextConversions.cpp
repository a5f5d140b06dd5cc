#include "CSV/TextConversions.h"

#include <array>

namespace csv::detail {

std::optional<bool> parseBool(std::string_view text) {
    if (text == "true") {
        return true;
    }
    if (text == "false") {
        return false;
    }
    return std::nullopt;
}

namespace {

constexpr std::array<std::int8_t, 256> base64Values = [] {
    std::array<std::int8_t, 256> values{};
    values.fill(-1);
    constexpr std::string_view alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < alphabet.size(); ++i) {
        values[static_cast<unsigned char>(alphabet[i])] = static_cast<std::int8_t>(i);
    }
    return values;
}();

// A fixed-width number at text[at, at + width).
// A fixed-width run of digits at text[at, at + width).
std::optional<int> number(std::string_view text, std::size_t at, std::size_t width) {
    if (text[at] == '+' || text[at] == '-') {
        return std::nullopt;
    }
    return parseNumber<int>(text.substr(at, width));
}

} // namespace

std::optional<Bytes> decodeBase64(std::string_view text) {
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    const std::size_t padding = text.ends_with("==") ? 2 : text.ends_with('=') ? 1 : 0;
    Bytes bytes;
    bytes.reserve(text.size() / 4 * 3);
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < text.size() - padding; ++i) {
        const std::int8_t value = base64Values[static_cast<unsigned char>(text[i])];
        if (value < 0) {
            return std::nullopt;
        }
        bits = bits << 6 | static_cast<std::uint32_t>(value);
        if (i % 4 == 3) {
            bytes.push_back(static_cast<std::uint8_t>(bits >> 16));
            bytes.push_back(static_cast<std::uint8_t>(bits >> 8));
            bytes.push_back(static_cast<std::uint8_t>(bits));
        }
    }
    if (padding == 2) {
        bytes.push_back(static_cast<std::uint8_t>(bits >> 4));
    } else if (padding == 1) {
        bytes.push_back(static_cast<std::uint8_t>(bits >> 10));
        bytes.push_back(static_cast<std::uint8_t>(bits >> 2));
    }
    return bytes;
}

std::optional<TimePoint> parseISO8601(std::string_view text) {
    // YYYY-MM-DDTHH:MM:SS is 19 characters; then Z, or +HH:MM / -HH:MM.
    const bool utc = text.size() == 20 && text[19] == 'Z';
    const bool offset =
        text.size() == 25 && (text[19] == '+' || text[19] == '-') && text[22] == ':';
    if ((!utc && !offset) || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':') {
        return std::nullopt;
    }
    const auto year = number(text, 0, 4);
    const auto month = number(text, 5, 2);
    const auto day = number(text, 8, 2);
    const auto hour = number(text, 11, 2);
    const auto minute = number(text, 14, 2);
    const auto second = number(text, 17, 2);
    const auto offsetHours = offset ? number(text, 20, 2) : std::optional(0);
    const auto offsetMinutes = offset ? number(text, 23, 2) : std::optional(0);
    if (!year || !month || !day || !hour || !minute || !second || !offsetHours || !offsetMinutes ||
        *hour > 23 || *minute > 59 || *second > 59 || *offsetHours > 23 || *offsetMinutes > 59) {
        return std::nullopt;
    }
    using namespace std::chrono;
    const year_month_day date{std::chrono::year{*year}, std::chrono::month{unsigned(*month)},
                              std::chrono::day{unsigned(*day)}};
    if (!date.ok()) {
        return std::nullopt;
    }
    const minutes east = hours(*offsetHours) + minutes(*offsetMinutes);
    const auto local = sys_days(date) + hours(*hour) + minutes(*minute) + seconds(*second);
    return TimePoint(local - (text[19] == '-' ? -east : east));
}

} // namespace csv::detail
