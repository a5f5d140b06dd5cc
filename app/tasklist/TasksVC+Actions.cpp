// The actions on the selected rows and on the whole list, and taking them back.
#include "tasklist/EditTaskAlert.h"
#include "tasklist/TaskTableModel.h"
#include "tasklist/TasksVC.h"
#include "tasks/TaskBoard.h"
#include "ui_TasksVC.h"

#include <QItemSelectionModel>

void TasksVC::commit(const std::function<void()>& change) {
    const std::vector<Task> before = board_.tasks();
    // The model saves and announces the change; the table redraws on that.
    change();
    undo_.record(before, board_.tasks());
}

void TasksVC::doneAction() {
    const std::vector<int> rows = selectedRowIndexes();
    if (rows.empty()) {
        return;
    }
    // Each row toggles on its own state (a mixed selection has the button disabled).
    QList<QUuid> toDone;
    QList<QUuid> toOpen;
    for (const int row : rows) {
        const Task& task = model_->task(row);
        (task.isDone ? toOpen : toDone).append(task.id);
    }
    setDoneTitle(!model_->task(rows.back()).isDone);
    commit([this, &toDone, &toOpen] {
        if (!toDone.isEmpty()) {
            board_.setDone(toDone, true);
        }
        if (!toOpen.isEmpty()) {
            board_.setDone(toOpen, false);
        }
    });
    // The same row indexes, whatever the new order put on them.
    ui_->tableView->clearSelection();
    selectRows(rows);
}

void TasksVC::editAction() {
    const std::vector<int> rows = selectedRowIndexes();
    if (rows.size() != 1) {
        return;
    }
    const int row = rows.front();
    // By id: the panel may redraw the table while the alert is up.
    const QUuid id = model_->task(row).id;
    const std::optional<QString> text = runEditTaskAlert(this, model_->task(row).name);
    if (!text) {
        return;
    }
    commit([this, &id, &text] { board_.rename(id, *text); });
    ui_->tableView->clearSelection();
    selectRows({row});
}

void TasksVC::unsnoozeAction() {
    const std::vector<int> rows = selectedRowIndexes();
    if (rows.empty()) {
        return;
    }
    const QList<QUuid> ids = selectedIds();
    commit([this, &ids] { board_.unsnooze(ids); });
    ui_->tableView->clearSelection();
    selectRows(rows);
}

void TasksVC::deleteAction() {
    const QList<QUuid> ids = selectedIds();
    if (!ids.isEmpty()) {
        deleteTasks(ids);
    }
}

void TasksVC::deleteAllDoneAction() {
    commit([this] { board_.removeAllDone(); });
    ui_->tableView->clearSelection();
    setEditAreaVisible(false);
}

void TasksVC::deleteTasks(const QList<QUuid>& ids) {
    commit([this, &ids] { board_.remove(ids); });
    ui_->tableView->clearSelection();
    setEditAreaVisible(false);
}

void TasksVC::undoAction() {
    std::optional<UndoHistory::Undone> undone = undo_.undo(board_.tasks());
    if (!undone) {
        return;
    }
    board_.replaceTasks(std::move(undone->tasks));
    if (undone->changedSince > 0) {
        // The step is spent either way: taking it back again would undo the panel's change.
        warn(undone->changedSince == 1
                 ? QStringLiteral("Not undone: the panel changed this task since")
                 : QStringLiteral("Not undone: the panel changed these %1 tasks since")
                       .arg(undone->changedSince),
             undo_.isEmpty() ? QStringLiteral("There is nothing more to take back.")
                             : QStringLiteral("Ctrl+Z takes back the change before it."));
    }
}
