#pragma once

// moc cannot parse the standard library's concepts, nor the comparison below.
#ifndef Q_MOC_RUN
#include <compare>
#endif

// A point in time: seconds since 2001-01-01 00:00:00 UTC, with fractions.
struct Date {
    static constexpr double unixEpochOffset = 978307200.0;

    double secondsSinceReferenceDate = 0;

    static Date fromUnixSeconds(double unixSeconds) { return {unixSeconds - unixEpochOffset}; }
    double unixSeconds() const { return secondsSinceReferenceDate + unixEpochOffset; }
    Date addingSeconds(double seconds) const { return {secondsSinceReferenceDate + seconds}; }

#ifndef Q_MOC_RUN
    auto operator<=>(const Date&) const = default;
#endif
};
