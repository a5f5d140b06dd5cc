// The edit area and the actions on the selected rows: their effect on the table, the panel
// and the store, and taking them back.
#include "TasksVCFixture.h"
#include "tests/support/Contrast.h"
#include "ui/Appearance.h"
#include "ui/NamedColors.h"

#include <QContextMenuEvent>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>

namespace {

constexpr double hour = 3600;

// Answers the next edit alert once it is up with the keyboard in its field: `look` sees it,
// then OK after typing `text`, or Cancel without one.
void answerEditAlert(std::optional<QString> text, std::function<void(QWidget*, QLineEdit*)> look) {
    const auto field = [](QDialog* alert) { return alert->findChild<QLineEdit*>("editField"); };
    whenUp<QDialog>(
        [=](QDialog* alert) {
            look(alert, field(alert));
            field(alert)->setText(text.value_or(field(alert)->text()));
            clickTitled(alert, text ? "OK" : "Cancel");
        },
        [=](QDialog* alert) { return field(alert) && field(alert)->hasFocus(); });
}

} // namespace

// Tab reaches every control, each with a name, once the edit area shows.
TEST_F(TasksVCTest, TheEditAreaFollowsTheSelectionTabReachesItsNamedControlsAndEditCutsTheText) {
    // Rows: open, done, three snoozed, done.
    open({makeTask("open", 1), markedDone(makeTask("done", 2), Date{2}),
          makeSnoozed("s1", 3, Date{startTime + hour}),
          makeSnoozed("s2", 4, Date{startTime + hour}),
          makeSnoozed("s3", 5, Date{startTime + hour}),
          markedDone(makeTask("done too", 6), Date{6})});
    // Selected rows; then the Done button's enabled state and title (none: whatever it was),
    // and whether Edit and Unsnooze are enabled.
    const std::tuple<std::vector<int>, bool, const char*, bool, bool> selections[] = {
        {{0}, true, "Done", true, false},        {{1}, true, "Not Done", true, false},
        {{2}, true, "Done", true, true},         {{0, 1}, false, nullptr, false, false},
        {{2, 3, 4}, true, "Done", false, true},  {{0, 2, 3, 4}, true, "Done", false, false},
        {{1, 5}, true, "Not Done", false, false}};
    const auto on = [this](const char* name) { return listButton(name)->isEnabled(); };
    for (const auto& [rows, doneEnabled, doneTitle, editEnabled, unsnoozeEnabled] : selections) {
        EXPECT_FALSE(editStack()->isVisible());
        select(rows);
        EXPECT_TRUE(editStack()->isVisible() && list->findChild<QLabel*>("taskLabel")->isVisible());
        EXPECT_EQ(std::tuple(on("doneButton"), on("editButton"), on("unSnoozeButton")),
                  std::tuple(doneEnabled, editEnabled, unsnoozeEnabled))
            << rows.size() << " from row " << rows[0];
        if (doneTitle) {
            EXPECT_EQ(listButton("doneButton")->text(), doneTitle) << rows[0];
        }
        select({});
    }
    EXPECT_FALSE(editStack()->isVisible());

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

    // Edit: the alert cuts the text, and Cancel keeps it.
    select({2});
    bool seen = false;
    answerEditAlert(QString(150, u'x'), [&seen](QWidget* alert, QLineEdit* field) {
        seen = true;
        const QRect screen = QGuiApplication::screens().front()->geometry();
        EXPECT_EQ(std::tuple(field->text(), field->size(), alert->pos()),
                  std::tuple(QString("s1"), QSize(400, 24),
                             screen.center() + QPoint(1, 1) - QPoint(200, 100)));
        QStringList texts; // the labels', then the buttons' from left to right
        for (QLabel* label : alert->findChildren<QLabel*>()) {
            texts += label->text().isEmpty() ? QStringList() : QStringList{label->text()};
        }
        texts += titlesLeftToRight(alert->findChildren<QAbstractButton*>());
        EXPECT_EQ(texts, QStringList({"Edit task description", "OK", "Cancel"}));
    });
    QTest::mouseClick(listButton("editButton"), Qt::LeftButton);
    ASSERT_TRUE(seen);
    EXPECT_EQ(DBManager::getTaskList()[2].name, QString(100, u'x'));
    EXPECT_EQ(selectedRows(), std::vector<int>{2});

    const QByteArray before = readFile(home.storeFile("tasksData.data"));
    answerEditAlert(std::nullopt, [](QWidget*, QLineEdit* field) { field->setText("typed"); });
    list->editAction();
    EXPECT_EQ(readFile(home.storeFile("tasksData.data")), before);
}

TEST_F(TasksVCTest, DoneTogglesUnsnoozesAndReselectsTheSameRows) {
    open({makeSnoozed("A", 1, Date{startTime + hour}), makeTask("B", 2),
          markedDone(makeTask("C", 3), Date{startTime - hour})});
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
    EXPECT_FALSE(DBManager::getTaskList()[0].isDone || DBManager::getTaskList()[0].doneDate);
    EXPECT_EQ(board().currentTaskItem()->name, "A") << "a candidate for the panel again";
}

TEST_F(TasksVCTest, UnsnoozeAndTheDeletesAndControlZTakesThemBack) {
    open({makeSnoozed("s1", 1, Date{startTime + hour}),
          makeSnoozed("s2", 2, Date{startTime + hour}), markedDone(makeTask("d1", 3), Date{3}),
          makeTask("keep", 4), markedDone(makeTask("d2", 5), Date{5})});
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

    // Control-Z takes them back one by one, but not the panel's add.
    now = Date{startTime + 10};
    board().addTask("added in the panel");
    const QStringList backs[] = {{"s2"}, {"s1", "s2", "keep"}, {"s1", "s2", "d1", "keep", "d2"}};
    for (const QStringList& back : backs) {
        QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(names(DBManager::getTaskList()), back + QStringList{"added in the panel"});
    }
    EXPECT_EQ(rowNames(), names(board().tasks()));
    QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(board().tasks()[0].isSnoozed && board().tasks()[1].isSnoozed)
        << "the unsnooze is taken back too";
    QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(board().tasks().size(), 6u) << "nothing more to take back";
}

TEST_F(TasksVCTest, TheRowMenusReadableDeleteTakesTheSelectionLikeTheDeleteKey) {
    Appearance::shared().setPortalScheme(Appearance::Scheme::Light);
    open({makeTask("one", 1), makeTask("two", 2), makeTask("three", 3), makeTask("four", 4)});
    EXPECT_TRUE(list->rowActionsForRow(1, TasksVC::Edge::leading).empty());
    const auto actions = list->rowActionsForRow(1, TasksVC::Edge::trailing);
    ASSERT_EQ(actions.size(), 1u);
    EXPECT_EQ(std::tuple(actions[0].title, actions[0].destructive, actions[0].background),
              std::tuple(QString("Delete"), true, *NamedColors::color("destructive")));
    EXPECT_LT(actions[0].background.hueF(), 0.05) << "red";

    select({1, 2});
    table().selectionModel()->setCurrentIndex(table().model()->index(2, 1),
                                              QItemSelectionModel::NoUpdate);
    const auto offered = std::make_shared<QStringList>();
    const auto contrast = std::make_shared<double>(0);
    whenUp<QMenu>([offered, contrast](QMenu* menu) {
        for (QAction* a : menu->actions()) {
            offered->append(a->text());
        }
        if (!offered->isEmpty()) {
            // Unhovered, as the menu first appears under a still pointer.
            menu->setActiveAction(nullptr);
            const QImage image = screenshot(*menu, SCREENSHOT_DIR "/row-menu-light.png");
            const QRect item = menu->actionGeometry(menu->actions().front());
            const QColor ground = image.pixelColor(item.topLeft() + QPoint(1, 1));
            for (int y = item.top(); y <= item.bottom(); ++y) {
                for (int x = item.left(); x <= item.right(); ++x) {
                    *contrast = std::max(*contrast, contrastRatio(image.pixelColor(x, y), ground));
                }
            }
            menu->actions().front()->trigger();
        }
        menu->close();
    });
    // The menu key as the desktop delivers it: a keyboard context menu at the current cell.
    const QPoint at = table().visualRect(table().currentIndex()).center();
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, at, table().mapToGlobal(at));
    QApplication::sendEvent(&table(), &menuKey);
    EXPECT_EQ(*offered, QStringList{"Delete"});
    EXPECT_GE(*contrast, 4.5) << "Delete is readable before the pointer is over it";
    EXPECT_EQ(names(DBManager::getTaskList()), QStringList({"one", "four"}));
    // A row outside the selection goes alone.
    select({0});
    list->rowActionsForRow(1, TasksVC::Edge::trailing).front().trigger();
    EXPECT_EQ(rowNames(), QStringList{"one"});
    Appearance::shared().setPortalScheme(std::nullopt);
}
