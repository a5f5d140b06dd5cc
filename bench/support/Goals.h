#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

// Helpers for the tables and goal lines every benchmark prints.
namespace Goals {

inline double median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// "GOAL <name> <value> <target> MET|MISSED"
inline void print(const std::string& name, const std::string& value, const std::string& target,
                  bool met) {
    std::printf("GOAL %s %s %s %s\n", name.c_str(), value.c_str(), target.c_str(),
                met ? "MET" : "MISSED");
    std::fflush(stdout);
}

inline std::string format(const char* fmt, double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, value);
    return buf;
}

} // namespace Goals
