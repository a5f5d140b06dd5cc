#pragma once

#include "store/Models.h"
#include "store/PreferenceStore.h"
#include "sync/SyncEngine.h"
#include "sync/caldav/CalDavClient.h"

// One sync as a device makes it, its outcome put in place: the sync state, then the task list
// in the store's "tasks" value. Answers the failure, if any.
inline QString syncAndKeep(const PreferenceStore& store, std::vector<Task>& tasks,
                           CalDavClient& client, double at) {
    const SyncEngine::Outcome out =
        SyncEngine::run(client, tasks, SyncState::load(store), Date{at});
    tasks = out.tasks.value_or(tasks);
    const std::optional<QByteArray> list = Json::encodeTasks(tasks);
    if (!out.state.save(store) || !list || !store.setData(QStringLiteral("tasks"), *list)) {
        return QStringLiteral("not kept");
    }
    return out.failure;
}
