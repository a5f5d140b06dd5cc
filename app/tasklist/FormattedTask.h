#pragma once

#include "store/Models.h"
#include "support/DateHelpers.h"

#include <QString>

// One row of the task list as ready-made texts. "Empty" is the empty string.
struct FormattedTask {
    QString name;
    QString created;
    // "Yes" or "No".
    QString isSnoozed;
    // Empty unless the task is snoozed and has a snooze end.
    QString snoozedUntil;
    // "Yes" or "No".
    QString isDone;
    QString doneDate;
    QString createdISO;
    // The snooze end whenever there is one, snoozed or not.
    QString snoozedISO;
    QString doneISO;

    static FormattedTask of(const Task& task, DateTexts& dates);
    // The text a column of the table shows: creation time, text, snooze end, completion time.
    static QString columnText(const Task& task, int column, DateTexts& dates);
    // The ISO text of a date; empty without one.
    static QString isoText(const std::optional<Date>& date, DateTexts& dates);
};
