#include "tasklist/FormattedTask.h"

#include "tasklist/TaskOrder.h"

namespace {

QString yesNo(bool value) {
    static const QString yes = QStringLiteral("Yes");
    static const QString no = QStringLiteral("No");
    return value ? yes : no;
}

QString snoozedUntilText(const Task& task, DateTexts& dates) {
    return task.isSnoozed && task.snoozedUntil ? dates.localDateTime(*task.snoozedUntil)
                                               : QString();
}

QString doneDateText(const Task& task, DateTexts& dates) {
    return task.doneDate ? dates.localDateTime(*task.doneDate) : QString();
}

} // namespace

FormattedTask FormattedTask::of(const Task& task, DateTexts& dates) {
    return {task.name,
            dates.localDateTime(task.created),
            yesNo(task.isSnoozed),
            snoozedUntilText(task, dates),
            yesNo(task.isDone),
            doneDateText(task, dates),
            dates.displayDateISO8601(task.created),
            isoText(task.snoozedUntil, dates),
            isoText(task.doneDate, dates)};
}

QString FormattedTask::columnText(const Task& task, int column, DateTexts& dates) {
    switch (column) {
    case TaskOrder::createdColumn:
        return dates.localDateTime(task.created);
    case TaskOrder::nameColumn:
        return task.name;
    case TaskOrder::snoozedUntilColumn:
        return snoozedUntilText(task, dates);
    case TaskOrder::doneDateColumn:
        return doneDateText(task, dates);
    default:
        return {};
    }
}

QString FormattedTask::isoText(const std::optional<Date>& date, DateTexts& dates) {
    return date ? dates.displayDateISO8601(*date) : QString();
}
