#pragma once

#include "support/Clock.h"
#include "tasklist/FileDialogs.h"
#include "tasklist/FormattedTask.h"
#include "tasklist/ImportPreview.h"
#include "tasklist/UndoHistory.h"

#include <QColor>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QTableView;
class TaskBoard;
class TaskTableModel;

namespace Ui {
class TasksVC;
}

// What the task list window takes from its surroundings; tests replace any of it.
struct TasksEnvironment {
    std::shared_ptr<FileDialogs> dialogs = makeDesktopFileDialogs();
    Clock clock = systemNow;
    // How to read a file before it is imported; nothing when the user cancels.
    std::function<std::optional<TaskCsv::ImportFormat>(QWidget*, const QString&)> importFormat =
        runImportPreview;
};

// The task list window: every task in a table sorted by a column the user picks, an edit
// area for the selected rows, import and export. It is a view of the task model: every change
// goes through the model, which saves it, and the table redraws on each of the model's changes.
// Actions added to the window act on the whole list; the table's menu offers them too.
class TasksVC : public QWidget {
    Q_OBJECT
public:
    using Environment = TasksEnvironment;

    // One action offered for a row from one of its edges.
    enum class Edge { leading, trailing };
    struct RowAction {
        QString title;
        bool destructive = false;
        QColor background;
        std::function<void()> trigger;
    };

    // `board` must outlive the window.
    explicit TasksVC(TaskBoard& board, Environment environment = {}, QWidget* parent = nullptr);
    ~TasksVC() override;

    int sortColumn() const { return sortColumn_; }
    bool ascending() const { return ascending_; }
    // The tasks in table order, and the texts of a row.
    const std::vector<Task>& tasks() const;
    FormattedTask formattedTask(int row) const;
    QTableView* tableView() const;

    // Reloads the list, sorts it and redraws; the selected tasks stay selected.
    void formatTasks();
    // Sorts by the column, or flips the direction when it already sorts by it.
    void mouseDownInHeaderOf(int column);
    // Shows the edit area for the selection, or hides it when nothing is selected.
    void tableViewSelectionDidChange();
    std::vector<RowAction> rowActionsForRow(int row, Edge edge);

    void doneAction();
    void editAction();
    void unsnoozeAction();
    void deleteAction();
    void deleteAllDoneAction();
    void exportAction();
    void importAction();
    // Takes back the newest change this window made that is not taken back yet.
    void undoAction();

private:
    void viewDidLoad();
    void connectActions();
    void applyNamedColors();
    void showRowMenu(const QPoint& position);

    // Runs a change of the model and remembers it for undo.
    void commit(const std::function<void()>& change);
    void deleteTasks(const QList<QUuid>& ids);
    void setEditAreaVisible(bool visible);
    void setDoneTitle(bool notDone);
    std::vector<int> selectedRowIndexes() const;
    QList<QUuid> selectedIds() const;
    // Adds the rows to the selection.
    void selectRows(const std::vector<int>& rows);
    void warn(const QString& message, const QString& reason);

    TaskBoard& board_;
    Environment env_;
    std::unique_ptr<Ui::TasksVC> ui_;
    TaskTableModel* model_;
    UndoHistory undo_;
    int sortColumn_ = 0;
    bool ascending_ = true;
};
