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

// The resource for `task`, stamped as modified at `modified`. `previous` is the
// resource's last known text: everything in it that a task does not hold is kept.
QByteArray write(const Task& task, Date modified, const QByteArray& previous = {});

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
