#pragma once

#include "store/Models.h"

#include <QUuid>

#include <vector>

// `count` open tasks with names of ordinary length, oldest first.
inline std::vector<Task> openTasks(int count) {
    std::vector<Task> tasks;
    tasks.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        Task t;
        t.id = QUuid::createUuid();
        t.name = QStringLiteral("Task number %1 with a sentence of ordinary length").arg(i);
        t.created = Date{700'000'000.0 + i};
        tasks.push_back(t);
    }
    return tasks;
}
