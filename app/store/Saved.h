#pragma once

#include <QString>

#include <optional>

// The outcome of a save: true when the value is stored; otherwise why not, in the system's
// words ("No space left on device").
struct Saved {
    std::optional<QString> failure;

    // A save is used as the yes-or-no it always was.
    operator bool() const { return !failure; } // NOLINT(google-explicit-constructor)
};
