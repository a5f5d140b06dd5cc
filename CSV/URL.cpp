#include "CSV/URL.h"

#include <cctype>

namespace csv {

namespace {

bool isAlpha(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isHex(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

bool isUnreservedOrDelimiter(char c) {
    static constexpr std::string_view allowed = "-._~:/?#@!$&'()*+,;=";
    return isAlpha(c) || isDigit(c) || allowed.find(c) != std::string_view::npos;
}

bool isScheme(std::string_view text) {
    if (text.empty() || !isAlpha(text.front())) {
        return false;
    }
    for (const char c : text) {
        if (!isAlpha(c) && !isDigit(c) && c != '+' && c != '-' && c != '.') {
            return false;
        }
    }
    return true;
}

// Where the authority after "//" ends: brackets (an IP literal host) are allowed only there.
std::size_t authorityEnd(std::string_view text, std::size_t start) {
    if (text.substr(start, 2) != "//") {
        return start;
    }
    const std::size_t end = text.find_first_of("/?#", start + 2);
    return end == std::string_view::npos ? text.size() : end;
}

} // namespace

std::optional<URL> URL::parse(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    // A colon before any '/', '?' or '#' ends a scheme; a relative reference may not have one
    // in its first segment.
    const std::size_t colon = text.find(':');
    const std::size_t firstDelimiter = text.find_first_of("/?#");
    std::size_t schemeLength = 0;
    if (colon != std::string_view::npos && colon < firstDelimiter) {
        if (!isScheme(text.substr(0, colon))) {
            return std::nullopt;
        }
        schemeLength = colon;
    }
    const std::size_t hostStart = schemeLength == 0 ? 0 : schemeLength + 1;
    const std::size_t hostEnd = authorityEnd(text, hostStart);
    bool fragment = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size() || !isHex(text[i + 1]) || !isHex(text[i + 2])) {
                return std::nullopt;
            }
            i += 2;
        } else if (c == '[' || c == ']') {
            if (i < hostStart || i >= hostEnd) {
                return std::nullopt;
            }
        } else if (c == '#') {
            if (fragment) {
                return std::nullopt;
            }
            fragment = true;
        } else if (!isUnreservedOrDelimiter(c)) {
            return std::nullopt;
        }
    }
    return URL(std::string(text), schemeLength);
}

} // namespace csv
