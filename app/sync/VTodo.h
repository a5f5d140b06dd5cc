#pragma once

#include "store/Models.h"
#include "support/Date.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <variant>

// A task as an iCalendar VTODO resource, one per task. What other clients added to a
// resource (descriptions, due dates, alarms, relations, …) is carried over unchanged
// whenever Quenby rewrites it, so syncing never strips it.
namespace VTodo {

// Tutorial tasks stay on this device.
bool isSynced(const Task& task);

// When the task last changed (LAST-MODIFIED) and when this copy is written (DTSTAMP).
struct Stamps {
    // Both at once, as for a task written when it changes.
    Stamps(Date at) // NOLINT(google-explicit-constructor)
        : modified(at)
        , written(at) {}
    Stamps(Date changed, Date now)
        : modified(changed)
        , written(now) {}
    Date modified;
    Date written;
};

// The resource for `task`. `previous` is the resource's last known text: everything in it
// that a task does not hold is kept, and its SEQUENCE grows when the summary, status or
// dates change. Done on a recurring task moves the series on to its next occurrence and
// snoozes the task until then, instead of completing the series.
QByteArray write(const Task& task, Stamps at, const QByteArray& previous = {});

struct Resource {
    Task task;
    // When the resource was last changed, by whichever client; absent when unstated.
    std::optional<Date> lastModified;
};

// Resources nested deeper, or with a longer SUMMARY, are refused.
constexpr int maxNesting = 32;
constexpr qsizetype maxSummary = 10'000;

// The task a resource holds, or why it holds none.
std::variant<Resource, QString> read(const QByteArray& ics);

// The task id a resource's UID stands for: the UUID it spells, or one derived from it
// for other clients' UIDs.
QUuid taskId(const QString& uid);

} // namespace VTodo
