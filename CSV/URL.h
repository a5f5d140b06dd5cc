#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace csv {

// A URI reference (RFC 3986): absolute with a scheme, or relative. Only its syntax is checked.
class URL {
public:
    static std::optional<URL> parse(std::string_view text);

    const std::string& string() const { return text_; }
    // The scheme without its colon, empty for a relative reference.
    std::string_view scheme() const { return std::string_view(text_).substr(0, schemeLength_); }

    friend bool operator==(const URL&, const URL&) = default;

private:
    URL(std::string text, std::size_t schemeLength)
        : text_(std::move(text))
        , schemeLength_(schemeLength) {}

    std::string text_;
    std::size_t schemeLength_;
};

} // namespace csv
