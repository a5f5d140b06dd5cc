#pragma once

#include "store/Models.h"
#include "support/DateHelpers.h"
#include "tasklist/FormattedTask.h"

#include <QAbstractTableModel>

#include <vector>

// The task list's rows: the tasks in table order, four columns of texts coloured by the
// task's state. A row's texts are made when the view asks for them, so a list of any length
// costs only what is on screen.
class TaskTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // New rows in table order; views see a reset.
    void setTasks(std::vector<Task> tasks);
    const std::vector<Task>& tasks() const { return tasks_; }
    const Task& task(int row) const { return tasks_[static_cast<std::size_t>(row)]; }
    FormattedTask formattedTask(int row) const { return FormattedTask::of(task(row), dates_); }

    // The named colour of a row's text: "taskDone", else "taskSnoozed", else "task".
    static QString colorName(const Task& task);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<Task> tasks_;
    // Made anew with every set of rows, so a changed time zone or locale shows at the next one.
    mutable DateTexts dates_;
};
