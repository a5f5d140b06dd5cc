// The edit area and the actions on the selected rows: their effect on the table, the panel
// and the store, and taking them back.
#include "TasksVCFixture.h"
#include "support/NamedColors.h"

#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>

namespace {

constexpr double hour = 3600;

// What the edit alert showed once it was up (placed, the keyboard in its field).
struct EditAlertSeen {
    QString message;
    QString text;
    QSize fieldSize;
    QStringList buttons; // left to right
    QPoint position;
    bool answered = false;
};

// Answers the next edit alert: OK after typing `text`, or Cancel without one.
std::shared_ptr<EditAlertSeen> answerEditAlert(std::optional<QString> text) {
    auto seen = std::make_shared<EditAlertSeen>();
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [seen, poll, text] {
        QWidget* alert = QApplication::activeModalWidget();
        auto* field = alert ? alert->findChild<QLineEdit*>("editField") : nullptr;
        if (!field || !field->hasFocus()) {
            return;
        }
        poll->deleteLater();
        poll->stop();
        for (QLabel* label : alert->findChildren<QLabel*>()) {
            seen->message += label->text(); // the icon's label has no text
        }
        seen->text = field->text();
        seen->fieldSize = field->size();
        seen->position = alert->pos();
        QList<QPushButton*> buttons = alert->findChildren<QPushButton*>();
        std::sort(buttons.begin(), buttons.end(),
                  [](QWidget* a, QWidget* b) { return a->x() < b->x(); });
        for (QPushButton* b : buttons) {
            seen->buttons.append(b->text());
        }
        if (text) {
            field->setText(*text);
        }
        seen->answered = true;
        buttons[text ? 0 : 1]->click();
    });
    poll->start(5);
    return seen;
}

Task done(Task task, double at) {
    task.isDone = true;
    task.doneDate = Date{at};
    return task;
}

} // namespace

struct EditAreaCase {
    std::vector<int> rows;
    bool doneEnabled;
    const char* doneTitle; // nullptr: whatever it was
    bool editEnabled;
    bool unsnoozeEnabled;
};

void PrintTo(const EditAreaCase& c, std::ostream* os) {
    *os << c.rows.size() << " rows from " << c.rows.front();
}

class TasksVCEditAreaTest : public TasksVCTest, public testing::WithParamInterface<EditAreaCase> {};

TEST_P(TasksVCEditAreaTest, FollowsTheSelection) {
    const EditAreaCase& c = GetParam();
    // Rows: open, done, three snoozed, done.
    open({makeTask("open", 1), done(makeTask("done", 2), 2),
          makeSnoozed("s1", 3, Date{startTime + hour}),
          makeSnoozed("s2", 4, Date{startTime + hour}),
          makeSnoozed("s3", 5, Date{startTime + hour}), done(makeTask("done too", 6), 6)});
    EXPECT_FALSE(editStack()->isVisible());
    select({});
    for (const int row : c.rows) {
        table().selectionModel()->select(table().model()->index(row, 0),
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    EXPECT_TRUE(editStack()->isVisible());
    EXPECT_TRUE(list->findChild<QLabel*>("taskLabel")->isVisible());
    EXPECT_EQ(listButton("doneButton")->isEnabled(), c.doneEnabled);
    if (c.doneTitle) {
        EXPECT_EQ(listButton("doneButton")->text(), c.doneTitle);
    }
    EXPECT_EQ(listButton("editButton")->isEnabled(), c.editEnabled);
    EXPECT_EQ(listButton("unSnoozeButton")->isEnabled(), c.unsnoozeEnabled);
    EXPECT_TRUE(listButton("deleteButton")->isEnabled());
    select({});
    EXPECT_FALSE(editStack()->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Selections, TasksVCEditAreaTest,
                         testing::Values(EditAreaCase{{0}, true, "Done", true, false},
                                         EditAreaCase{{1}, true, "Not Done", true, false},
                                         EditAreaCase{{2}, true, "Done", true, true},
                                         EditAreaCase{{0, 1}, false, nullptr, false, false},
                                         EditAreaCase{{2, 3, 4}, true, "Done", false, true},
                                         EditAreaCase{{0, 2, 3, 4}, true, "Done", false, false},
                                         EditAreaCase{{1, 5}, true, "Not Done", false, false}));

TEST_F(TasksVCTest, DoneTogglesUnsnoozesAndReselectsTheSameRows) {
    open({makeSnoozed("A", 1, Date{startTime + hour}), makeTask("B", 2),
          done(makeTask("C", 3), startTime - hour)});
    list->mouseDownInHeaderOf(3);
    list->mouseDownInHeaderOf(3); // completion time descending: A B C
    select({0});
    QTest::mouseClick(listButton("doneButton"), Qt::LeftButton);
    // A is now the latest done task: B moved onto row 0, which is selected again.
    EXPECT_EQ(rowNames(), QStringList({"B", "A", "C"}));
    EXPECT_EQ(selectedRows(), std::vector<int>{0});
    const Task stored = DBManager::getTaskList()[0];
    EXPECT_EQ(std::tuple(stored.isDone, stored.doneDate, stored.isSnoozed, stored.snoozedUntil),
              std::tuple(true, std::optional(now), false, std::optional<Date>()));
    EXPECT_EQ(board().currentTaskItem()->name, "B");

    select({1});
    EXPECT_EQ(listButton("doneButton")->text(), "Not Done");
    QTest::mouseClick(listButton("doneButton"), Qt::LeftButton);
    EXPECT_FALSE(DBManager::getTaskList()[0].isDone);
    EXPECT_FALSE(DBManager::getTaskList()[0].doneDate);
    EXPECT_EQ(board().currentTaskItem()->name, "A") << "a candidate for the panel again";
}

TEST_F(TasksVCTest, EditAlertCutsTheTextAndCancelKeepsIt) {
    open({makeTask("first", 1), makeTask("second", 2)});
    select({1});
    const auto seen = answerEditAlert(QString(150, u'x'));
    QTest::mouseClick(listButton("editButton"), Qt::LeftButton);
    ASSERT_TRUE(seen->answered);
    EXPECT_EQ(std::tuple(seen->message, seen->text, seen->fieldSize, seen->buttons),
              std::tuple(QString("Edit task description"), QString("second"), QSize(400, 24),
                         QStringList({"OK", "Cancel"})));
    const QRect screen = QGuiApplication::screens().front()->geometry();
    EXPECT_EQ(seen->position, screen.center() + QPoint(1, 1) - QPoint(200, 100));
    EXPECT_EQ(DBManager::getTaskList()[1].name, QString(100, u'x'));
    EXPECT_EQ(selectedRows(), std::vector<int>{1});

    const QByteArray before = readFile(home.storeFile("tasksData.data"));
    answerEditAlert(std::nullopt);
    list->editAction();
    EXPECT_EQ(readFile(home.storeFile("tasksData.data")), before);
}

TEST_F(TasksVCTest, UnsnoozeAndTheDeletes) {
    open({makeSnoozed("s1", 1, Date{startTime + hour}),
          makeSnoozed("s2", 2, Date{startTime + hour}), done(makeTask("d1", 3), 3),
          makeTask("keep", 4), done(makeTask("d2", 5), 5)});
    select({0, 1});
    QTest::mouseClick(listButton("unSnoozeButton"), Qt::LeftButton);
    EXPECT_EQ(selectedRows(), std::vector<int>({0, 1}));
    for (const Task& t : DBManager::getTaskList()) {
        EXPECT_FALSE(t.isSnoozed || t.snoozedUntil) << t.name.toStdString();
    }

    // Not consulted: the selected open task stays, the edit area goes.
    select({0});
    QTest::mouseClick(listButton("deleteAllDoneButton"), Qt::LeftButton);
    EXPECT_EQ(names(DBManager::getTaskList()), QStringList({"s1", "s2", "keep"}));
    EXPECT_FALSE(editStack()->isVisible());
    EXPECT_TRUE(selectedRows().empty());

    select({0, 2});
    QTest::mouseClick(listButton("deleteButton"), Qt::LeftButton);
    EXPECT_EQ(names(board().tasks()), QStringList{"s2"});
    EXPECT_FALSE(editStack()->isVisible());
    select({0});
    QTest::keyClick(list->windowHandle(), Qt::Key_Delete);
    EXPECT_TRUE(rowNames().isEmpty());
    EXPECT_TRUE(DBManager::getTaskList().empty());
}

TEST_F(TasksVCTest, OnlyTheTrailingEdgeOffersARedDeleteAlsoFromTheMenuKey) {
    open({makeTask("one", 1), makeTask("two", 2), makeTask("three", 3)});
    EXPECT_TRUE(list->rowActionsForRow(1, TasksVC::Edge::leading).empty());
    const auto actions = list->rowActionsForRow(1, TasksVC::Edge::trailing);
    ASSERT_EQ(actions.size(), 1u);
    EXPECT_EQ(std::tuple(actions[0].title, actions[0].destructive, actions[0].background),
              std::tuple(QString("Delete"), true, *NamedColors::color("destructive")));
    EXPECT_LT(actions[0].background.hueF(), 0.05) << "red";

    table().setCurrentIndex(table().model()->index(2, 1));
    QStringList offered;
    QTimer::singleShot(50, [&offered] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_TRUE(menu);
        for (QAction* a : menu->actions()) {
            offered.append(a->text());
        }
        menu->actions().front()->trigger();
        menu->close();
    });
    // The menu key as the desktop delivers it: a keyboard context menu at the current cell.
    const QPoint at = table().visualRect(table().currentIndex()).center();
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, at, table().mapToGlobal(at));
    QApplication::sendEvent(&table(), &menuKey);
    EXPECT_EQ(offered, QStringList{"Delete"});
    EXPECT_EQ(names(DBManager::getTaskList()), QStringList({"one", "two"}));
    actions[0].trigger();
    EXPECT_EQ(rowNames(), QStringList{"one"});
}

TEST_F(TasksVCTest, ControlZTakesBackTheLastChangesButNotThePanels) {
    open({makeTask("one", 1), makeTask("two", 2), done(makeTask("three", 3), 3)});
    select({0});
    QTest::keyClick(&table(), Qt::Key_Delete);
    list->deleteAllDoneAction();
    now = Date{startTime + 10};
    board().addTask("added in the panel");
    QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(names(DBManager::getTaskList()), QStringList({"two", "three", "added in the panel"}));
    QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(names(board().tasks()), QStringList({"one", "two", "three", "added in the panel"}));
    EXPECT_EQ(rowNames(), names(board().tasks()));
    QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(board().tasks().size(), 4u) << "nothing more to take back";
}

TEST_F(TasksVCTest, EveryControlIsNamedAndReachedWithTab) {
    open({makeTask("one", 1)});
    select({0});
    QStringList reached;
    QWidget* w = &table();
    do {
        if (w->isVisible() && (w->focusPolicy() & Qt::TabFocus) && w->window() == list) {
            EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
            reached.append(w->objectName());
        }
        w = w->nextInFocusChain();
    } while (w != &table());
    EXPECT_EQ(reached,
              QStringList({"tableView", "doneButton", "editButton", "unSnoozeButton",
                           "deleteButton", "deleteAllDoneButton", "importButton", "exportButton"}));
}
