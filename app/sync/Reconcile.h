#pragma once

#include "store/Models.h"
#include "support/Date.h"

#include <optional>

// What one task becomes when this device and the server have both moved on since the
// last sync. Nothing is lost: a change on either side survives unless the same field
// changed on both, and then the later change wins.
namespace Reconcile {

struct Versions {
    // The task as both sides held it after the last sync; none when never synced.
    std::optional<Task> base;
    std::optional<Task> local;
    // When this device noticed its change.
    Date localModified;
    std::optional<Task> remote;
    // The server copy's LAST-MODIFIED.
    Date remoteModified;
};

struct Outcome {
    // The task both sides hold from now on; none when it is gone from both.
    std::optional<Task> result;
    // The server's copy needs writing (or deleting), this device's needs replacing (or removing).
    bool push = false;
    bool pull = false;
};

Outcome reconcile(const Versions& v);

// Equal as the server holds them: times in whole seconds.
bool sameTask(const Task& a, const Task& b);

} // namespace Reconcile
