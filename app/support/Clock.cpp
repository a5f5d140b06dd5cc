#include "support/Clock.h"

#include <chrono>

Date systemNow() {
    using namespace std::chrono;
    const auto sinceEpoch = duration_cast<microseconds>(system_clock::now().time_since_epoch());
    return Date::fromUnixSeconds(static_cast<double>(sinceEpoch.count()) / 1e6);
}
