#pragma once

#include "store/Models.h"
#include "support/Date.h"
#include "sync/CalDavClient.h"
#include "sync/SyncState.h"

#include <QString>

#include <optional>
#include <vector>

// One two-way sync of the task list with a collection. It works on copies: the caller puts
// the outcome's tasks and state in place, so an interrupted sync changes neither side's
// record of the other and the next one picks up where this stopped.
namespace SyncEngine {

struct Outcome {
    // The task list with the server's changes; none when nothing came from there.
    std::optional<std::vector<Task>> tasks;
    SyncState state;
    // Empty when everything went through; otherwise the first reason it did not.
    QString failure;
};

Outcome run(CalDavClient& client, const std::vector<Task>& local, SyncState state, Date now);

} // namespace SyncEngine
