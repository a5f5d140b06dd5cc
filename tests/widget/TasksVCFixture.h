#pragma once

// The task list window on the real task model, beside the real panel, with file dialogs,
// a clock, a time zone and a locale the test controls.
#include "PanelFixture.h"
#include "tasklist/TaskTableModel.h"
#include "tasklist/TasksVC.h"
#include "tests/support/FakeFileDialogs.h"
#include "tests/support/TimeZone.h"

#include <QHeaderView>
#include <QLocale>
#include <QTableView>

class TasksVCTest : public PanelTest {
protected:
    TasksVCTest() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    ~TasksVCTest() override {
        delete list;
        QLocale::setDefault(QLocale::system());
    }

    // The panel with exactly `tasks` in its model, and the task list window open beside it.
    TasksVC& open(std::vector<Task> tasks) {
        start();
        board().replaceTasks(std::move(tasks));
        list = new TasksVC(board(), {dialogs, [this] { return now; }});
        list->show();
        list->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(list));
        table().setFocus();
        return *list;
    }

    QTableView& table() const { return *list->tableView(); }
    QPushButton* listButton(const char* name) const {
        return list->findChild<QPushButton*>(QLatin1String(name));
    }
    QWidget* editStack() const { return list->findChild<QWidget*>("editStack"); }
    QString cell(int row, int column) const {
        return table().model()->index(row, column).data().toString();
    }
    QStringList rowNames() const { return names(list->tasks()); }
    void select(const std::vector<int>& rows) const {
        using S = QItemSelectionModel;
        table().clearSelection();
        for (const int row : rows) {
            table().selectionModel()->select(table().model()->index(row, 0), S::Select | S::Rows);
        }
    }
    std::vector<int> selectedRows() const {
        std::vector<int> rows;
        std::ranges::transform(table().selectionModel()->selectedRows(), std::back_inserter(rows),
                               &QModelIndex::row);
        std::ranges::sort(rows);
        return rows;
    }

    TimeZone zone{"UTC0"};
    std::shared_ptr<FakeFileDialogs> dialogs = std::make_shared<FakeFileDialogs>();
    QPointer<TasksVC> list;
};
