// The task model without any window: which item is to do now, and what each operation
// does to the lists and the store.
#include "tasks/TaskBoard.h"

#include "store/DBManager.h"
#include "store/PreferenceStore.h"
#include "tests/support/Builders.h"
#include "tests/support/FileUtil.h"
#include "tests/support/TempConfigHome.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr double startTime = 800'000'000;

template <typename Item> Item snoozed(Item item, Date until = Date{startTime + 60}) {
    item.isSnoozed = true;
    item.snoozedUntil = until;
    return item;
}

} // namespace

class TaskBoardTest : public testing::Test {
protected:
    // A model on the store as it stands, after its first selection pass.
    void start() {
        board.load();
        board.setCurrentTask();
    }
    QString shown() const {
        if (const SystemMessage* m = board.currentMessage()) {
            return m->message;
        }
        const Task* t = board.currentTaskItem();
        return t ? t->name : QStringLiteral("nothing");
    }

    TempConfigHome home;
    Date now{startTime};
    TaskBoard board{[this] { return now; }};
};

// The oldest open task, equal times in stored order; else a done tutorial, or a snoozed one when
// only done and snoozed tasks are left. The pass saves the list it chose from, sorted by
// creation and stable.
TEST_F(TaskBoardTest, ChoosesTheItemToDoNow) {
    const std::pair<std::vector<Task>, QString> cases[] = {
        {{makeTask("later", 30), makeTask("first stored", 10), makeTask("second stored", 10),
          markedDone(makeTask("older but done", 1)), makeTutorial(TaskBoard::aHint, 0)},
         "first stored"},
        {{markedDone(makeTutorial(TaskBoard::dHint, 5))}, TaskBoard::dHint},
        {{markedDone(makeTask("done", 1)), makeSnoozed("snoozed", 2, Date{startTime + 9}),
          snoozed(makeTutorial(TaskBoard::hHint, 3))},
         TaskBoard::hHint}};
    for (const auto& [tasks, expected] : cases) {
        const TempConfigHome fresh;
        DBManager::saveTaskList(tasks);
        start();
        EXPECT_EQ(shown(), expected);
        EXPECT_EQ(names(DBManager::getTaskList()), names(board.tasks())) << expected.toStdString();
    }
}

TEST_F(TaskBoardTest, FirstStartAddsTheThreeTutorialsUnsavedAndSnoozeTakesTheHHintAlways) {
    board.load();
    EXPECT_EQ(names(board.tasks()),
              (QStringList{TaskBoard::aHint, TaskBoard::dHint, TaskBoard::hHint}));
    for (const Task& t : board.tasks()) {
        EXPECT_TRUE(t.isTutorial && !t.isDone && !t.isSnoozed && !t.doneDate && t.created == now);
    }
    // Saved only by the first pass.
    EXPECT_EQ(std::tuple(board.tasks()[0].id == board.tasks()[1].id,
                         PreferenceStore::standard().boolean("tutorialsAdded"),
                         QFile::exists(home.storeFile("tasksData.data"))),
              std::tuple(false, std::optional(true), false));

    // With the shown A hint removed nothing is shown, and a snooze still takes the H hint.
    board.setCurrentTask();
    EXPECT_TRUE(board.removeTutorial(TaskBoard::aHint));
    EXPECT_FALSE(board.currentTask());
    board.snoozeCurrent(1);
    EXPECT_EQ(std::tuple(names(DBManager::getTaskList()), shown()),
              std::tuple(QStringList{TaskBoard::dHint}, QString(TaskBoard::dHint)));

    // Once followed, the hints stay gone at the next start.
    DBManager::saveTaskList({makeTask("mine", 1)});
    TaskBoard next{[this] { return now; }};
    next.load();
    EXPECT_EQ(names(next.tasks()), QStringList{"mine"});
}

TEST_F(TaskBoardTest, APassThatChangesNothingWritesNothingAndAFailedSaveIsRetried) {
    DBManager::saveTaskList(
        {makeTask("b", 2), makeTask("a", 1), makeTutorial(TaskBoard::aHint, 0)});
    start();
    const QString tasksFile = home.storeFile("tasksData.data");
    QFile::remove(tasksFile);
    board.setCurrentTask();
    EXPECT_FALSE(QFile::exists(tasksFile) || QFile::exists(home.storeFile("systemMessages.data")));

    // A folder in the file's place makes the save fail; the change is held, the failure
    // named, and the save tried again a while later without another action.
    ASSERT_TRUE(QDir().mkpath(tasksFile));
    board.doneCurrent();
    EXPECT_TRUE(!board.tasksSaved() && !board.saveFailure().isEmpty());
    ASSERT_TRUE(QDir(tasksFile).removeRecursively());
    ASSERT_TRUE(QTest::qWaitFor([this] { return board.tasksSaved(); }, 20000));
    EXPECT_EQ(board.saveFailure(), "");
    const auto stored = DBManager::getTaskList();
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_TRUE(stored[1].isDone);
}

TEST_F(TaskBoardTest, OldHintsAreRenamedAndRemovingOneKeepsTheShownTaskCurrent) {
    DBManager::saveTaskList({makeTutorial("Hint: Press Control-Option-A to add a new task", 0),
                             makeTask("Hint: Press Control-Option-D to mark task as done", 1)});
    start();
    EXPECT_EQ(names(DBManager::getTaskList()),
              (QStringList{"Hint: Press Control-Alt-A to add a new task",
                           "Hint: Press Control-Option-D to mark task as done"}))
        << "only tutorials are renamed";
    ASSERT_EQ(board.currentTask(), 1u);
    EXPECT_TRUE(board.removeTutorial(TaskBoard::aHint));
    EXPECT_EQ(board.currentTask(), 0u);
    board.doneCurrent();
    EXPECT_TRUE(DBManager::getTaskList().front().isDone);
}

// Unsnooze all then wakes every task, a done one too, but no message.
TEST_F(TaskBoardTest, SnoozesWakeOnlyAfterTheirEndOrByUnsnoozeAll) {
    DBManager::saveTaskList({makeSnoozed("a day", 1, Date{startTime + 86400}),
                             makeSnoozed("no end", 2, std::nullopt),
                             markedDone(makeSnoozed("done", 3, std::nullopt))});
    DBManager::saveSystemMessages({snoozed(makeMessage(7, 1, "news"), Date{startTime + 86400})});
    start();
    EXPECT_EQ(shown(), TaskBoard::aHint);
    now = Date{startTime + 86400}; // exactly at the end: still snoozed
    board.setCurrentTask();
    EXPECT_EQ(shown(), TaskBoard::aHint);
    now = Date{startTime + 86400.001};
    board.setCurrentTask();
    EXPECT_EQ(shown(), "news");
    const auto tasks = DBManager::getTaskList();
    EXPECT_FALSE(tasks[0].isSnoozed || tasks[0].snoozedUntil ||
                 DBManager::getSystemMessages()[0].isSnoozed);
    now = Date{startTime + 1e9 + 0.25};
    board.setCurrentTask();
    EXPECT_TRUE(DBManager::getTaskList()[1].isSnoozed);

    board.snoozeCurrent(1);
    QSignalSpy changed(&board, &TaskBoard::changed);
    board.unsnoozeAll();
    EXPECT_EQ(changed.count(), 1) << "one change, one signal";
    for (const Task& t : DBManager::getTaskList()) {
        EXPECT_FALSE(t.isSnoozed || t.snoozedUntil) << t.name.toStdString();
    }
    const SystemMessage news = DBManager::getSystemMessages()[0];
    EXPECT_EQ(
        std::tuple(news.isSnoozed, news.snoozedUntil, shown()),
        std::tuple(true, std::optional(Date{startTime + 1e9 + 0.25 + 3600}), QString("a day")));
}

// How long each shortcut snoozes is checked where the user presses it, in the e2e day.
TEST_F(TaskBoardTest, DoneMarksTheShownItemAndTakesTheDHintAndSnoozeLastsExactlyItsLength) {
    DBManager::saveSystemMessages({makeMessage(1, 10, "one")});
    DBManager::saveTaskList({makeTask("first", 1), makeTask("second", 2),
                             makeTutorial(TaskBoard::dHint, 0), makeTutorial(TaskBoard::hHint, 3)});
    start();
    const QByteArray tasksBefore = readFile(home.storeFile("tasksData.data"));
    board.doneCurrent();
    EXPECT_TRUE(DBManager::getSystemMessages().empty());
    // A message's Done touches no task, not even the D hint.
    EXPECT_EQ(readFile(home.storeFile("tasksData.data")), tasksBefore);

    now = Date{startTime + 12.5};
    board.doneCurrent();
    auto stored = DBManager::getTaskList();
    EXPECT_EQ(std::tuple(names(stored), stored[0].isDone, stored[0].doneDate, shown()),
              std::tuple(QStringList{"first", "second", TaskBoard::hHint}, true, std::optional(now),
                         QString("second")));

    // The snooze takes the H hint.
    board.snoozeCurrent(48);
    stored = DBManager::getTaskList();
    EXPECT_EQ(std::tuple(names(stored), stored[1].isSnoozed, stored[1].snoozedUntil),
              std::tuple(QStringList{"first", "second"}, true,
                         std::optional(Date{startTime + 12.5 + 172800})));
}

// A batch (here two, nested) stores its changes once, at its end.
TEST_F(TaskBoardTest, AddKeepsTheFirstHundredCharactersUntrimmedAndABatchStoresOnceAtItsEnd) {
    start();
    // 250 user-perceived characters, the first 50 of them five code points each.
    const QString family = QStringLiteral("\U0001F469\u200D\U0001F469\u200D\U0001F467");
    {
        const TaskBoard::Batch outer(board);
        board.addTask(family.repeated(50) + QString(200, u'x'));
        {
            const TaskBoard::Batch inner(board);
            board.addTask(QStringLiteral("   "));
        }
        board.addTask(QString());
        EXPECT_EQ(DBManager::getTaskList().size(), 3u) << "nothing stored before the batch ends";
    }
    EXPECT_TRUE(board.tasksSaved());
    const auto stored = DBManager::getTaskList();
    ASSERT_EQ(stored.size(), 5u);
    EXPECT_EQ(std::tuple(stored[3].name, stored[3].created, stored[4].name),
              std::tuple(family.repeated(50) + QString(50, u'x'), now, QString("   ")));
    EXPECT_FALSE(stored[3].isTutorial || stored[3].isDone || stored[3].isSnoozed);
}
