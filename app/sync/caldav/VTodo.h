#pragma once

#include "store/Models.h"
#include "support/Date.h"
#include "sync/RemoteCollection.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <variant>

// A task as an iCalendar VTODO resource, one per task. What other clients added to a
// resource (descriptions, due dates, alarms, relations, …) is carried over unchanged
// whenever Quenby rewrites it, so syncing never strips it.
namespace VTodo {

using Stamps = RemoteCollection::Stamps;

// The resource for `task`. `previous` is the resource's last known text: everything in it
// that a task does not hold is kept, and its SEQUENCE grows when the summary, status or
// dates change. Done on a recurring task moves the series on to its next occurrence and
// snoozes the task until then, instead of completing the series.
QByteArray write(const Task& task, Stamps at, const QByteArray& previous = {});

using Resource = RemoteCollection::Entry;

// Resources nested deeper, or with a longer SUMMARY, are refused.
constexpr int maxNesting = 32;
constexpr qsizetype maxSummary = 10'000;

// The task a resource holds, or why it holds none.
std::variant<Resource, QString> read(const QByteArray& ics);

// The task id a resource's UID stands for: the UUID it spells, or one derived from it
// for other clients' UIDs.
QUuid taskId(const QString& uid);

} // namespace VTodo
