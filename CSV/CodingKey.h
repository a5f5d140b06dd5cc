#pragma once

#include <optional>
#include <string>
#include <vector>

namespace csv {

// Names a field of a row: by header name, or by position (then its text is the number).
struct CodingKey {
    CodingKey(std::string name)
        : stringValue(std::move(name)) {}
    CodingKey(const char* name)
        : stringValue(name) {}
    CodingKey(int position)
        : stringValue(std::to_string(position))
        , intValue(position) {}

    std::string stringValue;
    std::optional<int> intValue;

    // e.g. CodingKey(stringValue: "age", intValue: nil)
    std::string description() const {
        return "CodingKey(stringValue: \"" + stringValue +
               "\", intValue: " + (intValue ? std::to_string(*intValue) : "nil") + ")";
    }

    friend bool operator==(const CodingKey&, const CodingKey&) = default;
};

using CodingPath = std::vector<CodingKey>;

} // namespace csv
