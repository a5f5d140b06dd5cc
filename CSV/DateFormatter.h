#pragma once

#include "CSV/DecodedTypes.h"

#include <chrono>
#include <optional>
#include <string>

namespace csv {

// Parses dates written in one fixed pattern (the conversions of std::get_time, e.g.
// "%Y-%m-%d %H:%M"), read in the classic locale as a time at a fixed offset from UTC.
class DateFormatter {
public:
    explicit DateFormatter(std::string format, std::chrono::minutes utcOffset = {})
        : format_(std::move(format))
        , utcOffset_(utcOffset) {}

    // The whole text must match the pattern and name a valid date.
    std::optional<TimePoint> date(const std::string& text) const;

private:
    std::string format_;
    std::chrono::minutes utcOffset_;
};

} // namespace csv
