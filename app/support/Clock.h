#pragma once

#include "support/Date.h"

#include <functional>

// Where the application reads the current time. The panel takes one at construction, so
// tests can run it against a clock they set.
using Clock = std::function<Date()>;

// The system's wall clock.
Date systemNow();
