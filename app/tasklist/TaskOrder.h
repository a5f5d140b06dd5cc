#pragma once

#include "store/Models.h"

#include <QStringView>

#include <vector>

// The task list's columns and the order each one sorts by.
namespace TaskOrder {

enum Column { createdColumn = 0, nameColumn = 1, snoozedUntilColumn = 2, doneDateColumn = 3 };
constexpr int columnCount = 4;

// Code-point order; for texts in NFC this is plain string order. Differs from UTF-16 order
// where a surrogate pair meets a character from U+E000 up.
bool plainLess(QStringView a, QStringView b);

// Sorts `tasks`, given in stored order, stably by a column:
// - creation time; text in plain string order of the NFC forms ("B" < "a" < "b");
// - snooze end and completion time: ascending, the dated tasks earliest first, then the
//   undated ones in the reverse of their stored order; descending, the undated ones first in
//   stored order, then the dated ones latest first.
// A column outside 0-3 leaves the stored order.
void sort(std::vector<Task>& tasks, int column, bool ascending);

} // namespace TaskOrder
