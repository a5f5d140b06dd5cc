#pragma once

#include "store/Models.h"
#include "support/Date.h"

#include <QHash>
#include <QUuid>

#include <vector>

// When each task last changed on this device, noted as the change is seen: a change here
// and one on the server to the same field are weighed by these times, not by when either
// device happened to sync.
struct EditTimes {
    QHash<QUuid, Date> at;

    // Notes `when` for each task `after` adds, changes or drops against `before`.
    void note(const std::vector<Task>& before, const std::vector<Task>& after, Date when);
    // Keeps the later time of each task.
    void merge(const EditTimes& other);
    Date of(const QUuid& id, Date unknown) const { return at.value(id, unknown); }
};
