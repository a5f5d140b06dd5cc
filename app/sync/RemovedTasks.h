#pragma once

#include "store/Models.h"
#include "support/Date.h"

#include <vector>

class PreferenceStore;

// The tasks syncs removed here because the server no longer listed them, kept in a store
// value of their own so that the user can bring them back: those of the last `keptSyncs`
// syncs that removed any, for `keptDays` at most.
namespace RemovedTasks {

inline constexpr int keptSyncs = 10;
inline constexpr int keptDays = 30;

// What is kept at `now`, the latest removal first.
std::vector<Task> kept(const PreferenceStore& store, Date now);
// Adds one sync's removals and lets go of what is past the bounds. A kept value that cannot
// be read is moved aside first, never overwritten.
[[nodiscard]] bool add(const PreferenceStore& store, const std::vector<Task>& removed, Date now);
[[nodiscard]] bool clear(const PreferenceStore& store);

} // namespace RemovedTasks
