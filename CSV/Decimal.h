#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace csv {

// A decimal number held exactly: up to 38 significant digits times a power of ten between
// 10^-128 and 10^127.
class Decimal {
public:
    static constexpr std::size_t maxDigits = 38;
    static constexpr int minExponent = -128;
    static constexpr int maxExponent = 127;

    // [+|-] digits [. digits] [e|E [+|-] digits]; a leading or trailing dot is allowed.
    static std::optional<Decimal> parse(std::string_view text);

    bool isNegative() const { return negative_; }
    // Without leading or trailing zeros; empty for zero.
    const std::string& significand() const { return significand_; }
    int exponent() const { return exponent_; }
    // Plain notation, e.g. "-12.5" or "3000".
    std::string toString() const;
    double toDouble() const;

    friend bool operator==(const Decimal&, const Decimal&) = default;

private:
    bool negative_ = false;
    std::string significand_;
    int exponent_ = 0;
};

} // namespace csv
