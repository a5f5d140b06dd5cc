// The actions on the selected rows and on the whole list, the rows' menu, and taking them back.
#include "tasklist/EditTaskAlert.h"
#include "tasklist/TaskTableModel.h"
#include "tasklist/TasksVC.h"
#include "tasks/TaskBoard.h"
#include "ui/NamedColors.h"
#include "ui_TasksVC.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QMenu>

#include <algorithm>

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

std::vector<TasksVC::RowAction> TasksVC::rowActionsForRow(int row, Edge edge) {
    if (edge != Edge::trailing || row < 0 || row >= model_->rowCount()) {
        return {};
    }
    // A row of the selection stands for all of it, as with the Delete key.
    const QUuid id = model_->task(row).id;
    const QList<QUuid> selected = selectedIds();
    const QList<QUuid> ids = selected.contains(id) ? selected : QList<QUuid>{id};
    return {{QStringLiteral("Delete"), true,
             NamedColors::color(QStringLiteral("destructive")).value_or(QColor(Qt::red)),
             [this, ids] { deleteTasks(ids); }}};
}

void TasksVC::showRowMenu(const QPoint& position) {
    // A pointer's click names its row; the menu key names the current row.
    const int row = ui_->tableView->indexAt(position).row();
    const std::vector<RowAction> actions = rowActionsForRow(row, Edge::trailing);
    const QList<QAction*> listed = QWidget::actions();
    const bool listActions = std::any_of(listed.cbegin(), listed.cend(),
                                         [](const QAction* a) { return a->isVisible(); });
    if (actions.empty() && !listActions) {
        return;
    }
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("rowMenu"));
    for (const RowAction& action : actions) {
        QAction* item = menu.addAction(action.title, action.trigger);
        item->setObjectName(action.title);
    }
    // A menu of row actions only writes the destructive one in its colour on the list's own
    // background, filled with it (and written in the background's) under the pointer. Both colours
    // are set here, so the desktop's menu colours cannot hide the text; a style sheet colours every
    // item alike, so not when the list's actions follow.
    if (!actions.empty() && actions.front().destructive && !listActions) {
        const QColor bg = NamedColors::color(QStringLiteral("bg")).value_or(QColor(Qt::white));
        menu.setStyleSheet(
            QStringLiteral("QMenu { background: %1; } QMenu::item { color: %2; padding: 4px 20px; "
                           "} QMenu::item:selected { color: %1; background: %2; }")
                .arg(bg.name(), actions.front().background.name()));
    }
    if (listActions) {
        menu.addSeparator();
        menu.addActions(listed);
    }
    menu.exec(ui_->tableView->viewport()->mapToGlobal(position));
}
