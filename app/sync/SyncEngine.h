#pragma once

#include "store/Models.h"
#include "support/Date.h"
#include "sync/RemoteCollection.h"
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
    // The tasks this sync removed from the list because the server no longer lists them.
    std::vector<Task> removed;
    // How many such removals wait for the user's word, out of how many synced tasks here.
    qsizetype held = 0;
    qsizetype synced = 0;
};

// Whether the sync may remove most of the synced tasks here at once.
enum class Deletions { Guarded, Accepted };

// A sync that would remove more than half of the synced tasks here, and at least this many,
// removes none of them until the user accepts; those held once stay held until then.
inline constexpr qsizetype massDeletion = 5;

Outcome run(RemoteCollection& collection, const std::vector<Task>& local, SyncState state, Date now,
            Deletions deletions = Deletions::Guarded);

} // namespace SyncEngine
