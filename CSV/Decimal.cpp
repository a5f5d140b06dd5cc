#include "CSV/Decimal.h"

#include <charconv>

namespace csv {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view digitsAt(std::string_view text, std::size_t& position) {
    const std::size_t start = position;
    while (position < text.size() && isDigit(text[position])) {
        ++position;
    }
    return text.substr(start, position - start);
}

} // namespace

std::optional<Decimal> Decimal::parse(std::string_view text) {
    Decimal value;
    std::size_t position = 0;
    if (position < text.size() && (text[position] == '+' || text[position] == '-')) {
        value.negative_ = text[position++] == '-';
    }
    const std::string_view whole = digitsAt(text, position);
    std::string_view fraction;
    if (position < text.size() && text[position] == '.') {
        ++position;
        fraction = digitsAt(text, position);
    }
    if (whole.empty() && fraction.empty()) {
        return std::nullopt;
    }
    long exponent = 0;
    if (position < text.size() && (text[position] == 'e' || text[position] == 'E')) {
        ++position;
        const bool negativeExponent = position < text.size() && text[position] == '-';
        if (position < text.size() && (text[position] == '+' || text[position] == '-')) {
            ++position;
        }
        const std::string_view digits = digitsAt(text, position);
        if (digits.empty() || digits.size() > 6) {
            return std::nullopt;
        }
        std::from_chars(digits.data(), digits.data() + digits.size(), exponent);
        exponent = negativeExponent ? -exponent : exponent;
    }
    if (position != text.size()) {
        return std::nullopt;
    }

    std::string digits = std::string(whole) + std::string(fraction);
    exponent -= static_cast<long>(fraction.size());
    const std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) {
        return Decimal{};
    }
    const std::size_t last = digits.find_last_not_of('0');
    exponent += static_cast<long>(digits.size() - 1 - last);
    digits = digits.substr(first, last + 1 - first);
    if (digits.size() > maxDigits || exponent < minExponent || exponent > maxExponent) {
        return std::nullopt;
    }
    value.significand_ = std::move(digits);
    value.exponent_ = static_cast<int>(exponent);
    return value;
}

std::string Decimal::toString() const {
    if (significand_.empty()) {
        return "0";
    }
    std::string text = negative_ ? "-" : "";
    const long pointAt = static_cast<long>(significand_.size()) + exponent_;
    if (exponent_ >= 0) {
        text += significand_;
        text.append(static_cast<std::size_t>(exponent_), '0');
    } else if (pointAt > 0) {
        text += significand_.substr(0, static_cast<std::size_t>(pointAt));
        text += '.';
        text += significand_.substr(static_cast<std::size_t>(pointAt));
    } else {
        text += "0.";
        text.append(static_cast<std::size_t>(-pointAt), '0');
        text += significand_;
    }
    return text;
}

double Decimal::toDouble() const {
    const std::string text = toString();
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

} // namespace csv
