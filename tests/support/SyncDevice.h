#pragma once

#include "Builders.h"
#include "store/Models.h"
#include "store/PreferenceStore.h"
#include "sync/SyncEngine.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

// One machine: its task list and a store of its own for the sync state, which goes through its
// stored form at every sync, as after a restart.
struct Device {
    QTemporaryDir dir;
    PreferenceStore store{dir.path()};
    std::vector<Task> tasks;

    // One sync, its outcome put in place.
    SyncEngine::Outcome run(RemoteCollection& server, double at,
                            SyncEngine::Deletions deletions = SyncEngine::Deletions::Guarded) {
        SyncEngine::Outcome out = SyncEngine::run(server, tasks, state(), Date{at}, deletions);
        tasks = out.tasks.value_or(tasks);
        EXPECT_TRUE(out.state.save(store));
        return out;
    }
    // One sync; answers the failure, if any.
    QString sync(RemoteCollection&& server, double at) { return run(server, at).failure; }
    SyncState state() const { return SyncState::load(store); }
    // A change here at `at`, its time noted in the sync state as the sync service notes it.
    template <typename Change> void edit(double at, Change change) {
        const std::vector<Task> before = tasks;
        change(*this);
        SyncState noted = state();
        noted.edited.note(before, tasks, Date{at});
        ASSERT_TRUE(noted.save(store));
    }
    // The task named `name`. A failed lookup fails the test and hands out `missing`, so that the
    // test goes on failing instead of crashing.
    Task& named(const QString& name) {
        const auto it = std::ranges::find(tasks, name, &Task::name);
        EXPECT_NE(it, tasks.end()) << name.toStdString();
        return it == tasks.end() ? missing : *it;
    }
    void remove(const QString& name) {
        std::erase_if(tasks, [&](const Task& t) { return t.name == name; });
    }
    Task missing;
};

// The names of the tasks that sync (tutorials stay on their device), with what is done or
// snoozed marked, in sorted order.
inline QStringList marked(const std::vector<Task>& tasks) {
    QStringList list;
    for (const Task& t : tasks) {
        if (!t.isTutorial) {
            list.append(t.name + (t.isDone ? QStringLiteral(" (done)") : QString()) +
                        (t.isSnoozed ? QStringLiteral(" (snoozed)") : QString()));
        }
    }
    list.sort();
    return list;
}
