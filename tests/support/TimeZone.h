#pragma once

#include "tests/support/ScopedEnv.h"

#include <ctime>

// Sets TZ for the life of the object.
class TimeZone {
public:
    explicit TimeZone(const char* tz)
        : tz_("TZ", tz) {
        tzset();
    }

private:
    // Declared first so that it runs last, after TZ is restored.
    struct ReadAgain {
        ~ReadAgain() { tzset(); }
    } readAgain_;
    ScopedEnv tz_;
};
