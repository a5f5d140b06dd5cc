#pragma once

#include "store/Models.h"

#include <deque>
#include <optional>
#include <utility>
#include <vector>

// The task list window's changes, to be taken back newest first. A change is kept as the
// tasks it removed, added and altered (by id), and is taken back only where the list still
// shows it: whatever the panel changed since is left alone.
class UndoHistory {
public:
    // The changes kept; older ones are forgotten.
    static constexpr std::size_t depth = 20;

    // Remembers the change from `before` to `after`; no change is not remembered.
    void record(const std::vector<Task>& before, const std::vector<Task>& after);
    bool isEmpty() const { return changes_.empty(); }

    struct Undone {
        // The list with as much of the change taken back as still applies.
        std::vector<Task> tasks;
        // Tasks of the change that were left alone: changed (or removed, or back) since.
        int changedSince = 0;
    };
    // `current` with the newest change taken back, which is then forgotten; nothing when
    // there is none.
    std::optional<Undone> undo(std::vector<Task> current);

private:
    struct Change {
        std::vector<Task> removed;
        std::vector<Task> added;
        // Each task as it was and as the change left it.
        std::vector<std::pair<Task, Task>> altered;
    };

    std::deque<Change> changes_;
};
