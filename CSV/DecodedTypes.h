#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

namespace csv {

// A point in time as the row decoder produces it: seconds (with fractions) on the system clock.
using TimePoint = std::chrono::time_point<std::chrono::system_clock, std::chrono::duration<double>>;

// Binary data, as decoded from Base64 text.
using Bytes = std::vector<std::uint8_t>;

} // namespace csv
