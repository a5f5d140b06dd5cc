#pragma once

#include "Builders.h"
#include "CalDavServer.h"
#include "store/Models.h"
#include "store/PreferenceStore.h"
#include "sync/SyncEngine.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

// One machine: its task list and a store of its own for the sync state.
struct Device {
    QTemporaryDir dir;
    PreferenceStore store{dir.path()};
    std::vector<Task> tasks;

    // One sync, its outcome put in place; answers the failure, if any.
    QString sync(CalDavClient client, double at) {
        const SyncEngine::Outcome out =
            SyncEngine::run(client, tasks, SyncState::load(store), Date{at});
        tasks = out.tasks.value_or(tasks);
        return out.state.save(store) ? out.failure : QStringLiteral("not kept");
    }
    // A change here at `at`, its time noted in the sync state as the sync service notes it.
    template <typename Change> void edit(double at, Change change) {
        const std::vector<Task> before = tasks;
        change(*this);
        SyncState state = SyncState::load(store);
        state.edited.note(before, tasks, Date{at});
        ASSERT_TRUE(state.save(store));
    }
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

// What another device syncing with the server gets: its tasks, marked.
inline QStringList onPhone(const CalDavServer& server) {
    Device phone;
    EXPECT_EQ(phone.sync(server.client(), 1e9), QString());
    return marked(phone.tasks);
}
