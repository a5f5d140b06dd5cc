#pragma once

#include <QByteArray>
#include <QList>

// Edits an iCalendar text at the level of its content lines, so that every line it does
// not touch stays exactly as it was written, folding and all.
namespace ContentLines {

// Within the first VTODO (not in its alarms), removes the properties named in `drop`
// (upper case) and puts the content lines `add` before its first sub-component or its end.
QByteArray spliceTodo(const QByteArray& ics, const QList<QByteArray>& drop, const QByteArray& add);

} // namespace ContentLines
