#include "tasklist/TaskTableModel.h"

#include "tasklist/TaskOrder.h"
#include "ui/NamedColors.h"

#include <QBrush>

#include <array>

void TaskTableModel::setTasks(std::vector<Task> tasks) {
    beginResetModel();
    tasks_ = std::move(tasks);
    dates_ = DateTexts();
    endResetModel();
}

QString TaskTableModel::colorName(const Task& task) {
    if (task.isDone) {
        return QStringLiteral("taskDone");
    }
    return task.isSnoozed ? QStringLiteral("taskSnoozed") : QStringLiteral("task");
}

int TaskTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(tasks_.size());
}

int TaskTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : TaskOrder::columnCount;
}

QVariant TaskTableModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const Task& row = task(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return FormattedTask::columnText(row, index.column(), dates_);
    case Qt::ForegroundRole:
        if (const auto color = NamedColors::color(colorName(row))) {
            return QBrush(*color);
        }
        return {};
    default:
        return {};
    }
}

QVariant TaskTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const std::array<QString, TaskOrder::columnCount> titles = {
        QStringLiteral("Created"), QStringLiteral("Task"), QStringLiteral("Snoozed Until"),
        QStringLiteral("Done")};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= TaskOrder::columnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return titles[static_cast<std::size_t>(section)];
}
