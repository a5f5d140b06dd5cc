#pragma once

#include "Builders.h"
#include "CalDavServer.h"
#include "KeptSync.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

// One machine: its task list and a store of its own for it and the sync state.
struct Device {
    QTemporaryDir dir;
    PreferenceStore store{dir.path()};
    std::vector<Task> tasks;

    QString sync(CalDavClient client, double at) { return syncAndKeep(store, tasks, client, at); }
    // A change here at `at`, its time noted in the sync state as the sync service notes it.
    template <typename Change> void edit(double at, Change change) {
        const std::vector<Task> before = tasks;
        change(*this);
        SyncState state = SyncState::load(store);
        state.edited.note(before, tasks, Date{at});
        ASSERT_TRUE(state.save(store));
    }
    // As after a restart: the task list as last kept.
    void restart() {
        tasks =
            Json::decodeTasks(store.data(QStringLiteral("tasks")).value_or("[]")).value_or(tasks);
    }
    void keep() { ASSERT_TRUE(store.setData(QStringLiteral("tasks"), *Json::encodeTasks(tasks))); }
    Task& named(const QString& name) { return taskNamed(tasks, name, missing); }
    Task missing;
};

// The names, with what is done or snoozed marked, in sorted order.
inline QStringList marked(const std::vector<Task>& tasks) {
    QStringList list;
    for (const Task& t : tasks) {
        list.append(t.name + (t.isDone ? QStringLiteral(" (done)") : QString()) +
                    (t.isSnoozed ? QStringLiteral(" (snoozed)") : QString()));
    }
    list.sort();
    return list;
}
