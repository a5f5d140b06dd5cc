#pragma once

#include "store/PreferenceStore.h"
#include "sync/SyncEngine.h"

#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

// One machine: its task list and a store of its own for the sync state.
struct Device {
    QTemporaryDir dir;
    PreferenceStore store{dir.path()};
    std::vector<Task> tasks;

    QString sync(CalDavClient client, double at) {
        const SyncEngine::Outcome out =
            SyncEngine::run(client, tasks, SyncState::load(store), Date{at});
        tasks = out.tasks.value_or(tasks);
        EXPECT_TRUE(out.state.save(store));
        return out.failure;
    }
    Task& named(const QString& name) {
        const auto it =
            std::find_if(tasks.begin(), tasks.end(), [&](const Task& t) { return t.name == name; });
        EXPECT_NE(it, tasks.end()) << name.toStdString();
        return it == tasks.end() ? missing : *it;
    }
    // What a failed lookup hands out, so that the test goes on failing instead of crashing.
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
