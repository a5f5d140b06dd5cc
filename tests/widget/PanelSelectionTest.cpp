// Which item the panel shows: tutorials, order, nothing to do, messages first, snooze wake.
#include "PanelFixture.h"
#include "panel/HighlightView.h"
#include "store/PreferenceStore.h"
#include "support/NamedColors.h"

namespace {

QColor named(const char* name) {
    return *NamedColors::color(QLatin1String(name));
}

} // namespace

TEST_F(PanelTest, FirstStartAddsTutorialsAndShowsTheAHintCentred) {
    build(environment());
    // Added at load, saved only by the first pass.
    ASSERT_EQ(board().tasks().size(), 3u);
    EXPECT_FALSE(QFile::exists(home.storeFile("tasksData.data")));
    EXPECT_EQ(PreferenceStore::standard().boolean("tutorialsAdded"), true);

    window().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window()));
    const auto stored = DBManager::getTaskList();
    ASSERT_EQ(stored.size(), 3u);
    const QString hints[] = {TaskBoard::aHint, TaskBoard::dHint, TaskBoard::hHint};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(stored[i].name, hints[i]);
        EXPECT_TRUE(stored[i].isTutorial);
        EXPECT_FALSE(stored[i].isDone || stored[i].isSnoozed);
        EXPECT_FALSE(stored[i].snoozedUntil || stored[i].doneDate);
        EXPECT_EQ(stored[i].created, now);
    }
    EXPECT_NE(stored[0].id, stored[1].id);

    EXPECT_EQ(taskText()->text(), TaskBoard::aHint);
    EXPECT_TRUE(taskText()->alignment() & Qt::AlignHCenter);
    ASSERT_TRUE(taskText()->accent());
    EXPECT_EQ(taskText()->accent()->start, 0);
    EXPECT_EQ(taskText()->accent()->length, 5);
    EXPECT_EQ(taskText()->accent()->color, named("hint"));
    EXPECT_EQ(taskText()->textColor(), named("tutorial"));
    EXPECT_TRUE(taskButtonsEnabled());
    EXPECT_TRUE(taskText()->isReadOnly());
    EXPECT_FALSE(taskText()->isSelectable());
    EXPECT_EQ(vc().currentTask(), 0u);
    EXPECT_FALSE(button("ctaButton")->isVisible());
}

TEST_F(PanelTest, TutorialsComeBackOnlyWhenNoneIsLeft) {
    Task done = makeTutorial(TaskBoard::dHint, 5);
    done.isDone = true;
    DBManager::saveTaskList({done});
    start();
    // A done tutorial still counts, and is shown when no ordinary task is open.
    ASSERT_EQ(board().tasks().size(), 1u);
    EXPECT_EQ(taskText()->text(), TaskBoard::dHint);
    EXPECT_TRUE(taskButtonsEnabled());
}

TEST_F(PanelTest, OldestOpenTaskIsShownAndEqualTimesKeepStoredOrder) {
    Task older = makeTask("older but done", 1);
    older.isDone = true;
    DBManager::saveTaskList({makeTask("later", 30), makeTask("first stored", 10),
                             makeTask("second stored", 10), older,
                             makeTutorial(TaskBoard::aHint, 0)});
    start();
    EXPECT_EQ(taskText()->text(), QStringLiteral("first stored  "));
    EXPECT_EQ(taskText()->textColor(), named("task"));
    EXPECT_FALSE(taskText()->accent());
    EXPECT_TRUE(taskText()->alignment() & Qt::AlignLeft);
    // Sorted by creation, stable; the pass saved the sorted list.
    const auto stored = DBManager::getTaskList();
    ASSERT_EQ(stored.size(), 5u);
    EXPECT_EQ(stored[0].name, TaskBoard::aHint);
    EXPECT_EQ(stored[2].name, QStringLiteral("first stored"));
    EXPECT_EQ(stored[3].name, QStringLiteral("second stored"));
    EXPECT_EQ(vc().currentTask(), 2u);
    EXPECT_EQ(stored[2].name, QStringLiteral("first stored")); // the name itself has no spaces
}

TEST_F(PanelTest, OnlyDoneAndSnoozedTasksMeanNothingToDo) {
    Task done = makeTask("done", 1);
    done.isDone = true;
    Task snoozed = makeTask("snoozed", 2);
    snoozed.isSnoozed = true;
    snoozed.snoozedUntil = Date{startTime + 100};
    DBManager::saveTaskList({done, snoozed, makeTutorial(TaskBoard::hHint, 3)});
    start();
    EXPECT_EQ(taskText()->text(), TaskBoard::hHint);
    // Snoozing the last tutorial removes it: no task is left to show.
    QTest::mouseClick(button("hourButton"), Qt::LeftButton);
    EXPECT_EQ(DBManager::getTaskList().size(), 2u);
    EXPECT_EQ(taskText()->text(), QStringLiteral("Nothing to do"));
    EXPECT_EQ(taskText()->textColor(), named("nothing"));
    EXPECT_TRUE(taskButtonsDisabled());
    EXPECT_TRUE(button("addButton")->isEnabled());
    EXPECT_TRUE(button("unsnoozeButton")->isEnabled());
    EXPECT_TRUE(hintLabel()->isHidden());
    EXPECT_FALSE(vc().currentTask());
    EXPECT_TRUE(taskText()->isReadOnly());

    // Done with nothing shown changes nothing and shows no highlight.
    QTest::qWait(500);
    const QByteArray before = readFile(home.storeFile("tasksData.data"));
    vc().doneAction(button("doneButton"));
    QTest::qWait(150);
    EXPECT_EQ(readFile(home.storeFile("tasksData.data")), before);
    EXPECT_EQ(static_cast<HighlightView*>(highlight())->opacity(), 0.0);
}

TEST_F(PanelTest, UnsnoozedMessageComesBeforeAnyTask) {
    SystemMessage snoozed = makeMessage(1, 100, "snoozed news");
    snoozed.isSnoozed = true;
    snoozed.snoozedUntil = Date{startTime + 60};
    DBManager::saveSystemMessages({snoozed, makeMessage(2, 200, "fresh news")});
    DBManager::saveTaskList({makeTask("task", 1)});
    start();
    EXPECT_TRUE(vc().systemMessageActive());
    EXPECT_EQ(vc().currentTask(), 1u);
    EXPECT_EQ(taskText()->text(), QStringLiteral("fresh news  "));
    EXPECT_EQ(taskText()->textColor(), named("systemMessage"));
    EXPECT_TRUE(button("ctaButton")->isVisible());
    EXPECT_EQ(button("ctaButton")->text(), QStringLiteral("Read more"));
    EXPECT_EQ(button("ctaButton")->palette().color(QPalette::ButtonText), named("systemMessage"));
    EXPECT_TRUE(taskButtonsEnabled());

    // With every message snoozed the task is shown and the call to action hidden.
    vc().snoozeTask(button("hourButton"), 1);
    EXPECT_FALSE(vc().systemMessageActive());
    EXPECT_EQ(taskText()->text(), QStringLiteral("task  "));
    EXPECT_FALSE(button("ctaButton")->isVisible());
}

TEST_F(PanelTest, SnoozesWakeOnlyAfterTheirEndHasPassed) {
    Task day = makeTask("snoozed a day", 1);
    day.isSnoozed = true;
    day.snoozedUntil = Date{startTime + 86400};
    Task endless = makeTask("snoozed without end", 2);
    endless.isSnoozed = true;
    SystemMessage message = makeMessage(7, 1, "news");
    message.isSnoozed = true;
    message.snoozedUntil = Date{startTime + 86400};
    DBManager::saveTaskList({day, endless, makeTutorial(TaskBoard::aHint, 3)});
    DBManager::saveSystemMessages({message});
    start();
    EXPECT_EQ(taskText()->text(), TaskBoard::aHint);

    // Exactly at the end: still snoozed.
    now = Date{startTime + 86400};
    vc().setCurrentTask();
    EXPECT_EQ(taskText()->text(), TaskBoard::aHint);
    EXPECT_TRUE(DBManager::getTaskList()[0].isSnoozed);

    now = Date{startTime + 86400.001};
    vc().setCurrentTask();
    // The message wakes too, and comes first.
    EXPECT_EQ(taskText()->text(), QStringLiteral("news  "));
    const auto tasks = DBManager::getTaskList();
    EXPECT_FALSE(tasks[0].isSnoozed);
    EXPECT_FALSE(tasks[0].snoozedUntil);
    EXPECT_TRUE(tasks[1].isSnoozed);
    EXPECT_FALSE(DBManager::getSystemMessages()[0].isSnoozed);
    EXPECT_FALSE(DBManager::getSystemMessages()[0].snoozedUntil);

    QTest::mouseClick(button("doneButton"), Qt::LeftButton);
    EXPECT_EQ(taskText()->text(), QStringLiteral("snoozed a day  "));

    now = Date{startTime + 1e9};
    vc().setCurrentTask();
    EXPECT_TRUE(DBManager::getTaskList()[1].isSnoozed);
}

TEST_F(PanelTest, EveryPassWritesBothLists) {
    start();
    QFile::remove(home.storeFile("tasksData.data"));
    QFile::remove(home.storeFile("systemMessages.data"));
    vc().setCurrentTask();
    EXPECT_EQ(DBManager::getTaskList().size(), 3u);
    EXPECT_EQ(readFile(home.storeFile("systemMessages.data")), QByteArray("[]"));
}

TEST_F(PanelTest, RefreshTimerRunsPassesButNotWhileAdding) {
    Task snoozed = makeTask("wakes", 1);
    snoozed.isSnoozed = true;
    snoozed.snoozedUntil = Date{startTime + 60};
    DBManager::saveTaskList({snoozed});
    auto env = environment();
    env.refreshInterval = std::chrono::milliseconds(20);
    start(env);
    EXPECT_EQ(taskText()->text(), TaskBoard::aHint);

    vc().addAction(button("addButton"));
    taskText()->setText("half typed");
    now = Date{startTime + 61};
    QTest::qWait(120);
    EXPECT_EQ(taskText()->text(), QStringLiteral("half typed"));
    EXPECT_TRUE(board().tasks().front().isSnoozed);

    taskText()->clear();
    QTest::keyClick(taskText(), Qt::Key_Return);
    EXPECT_FALSE(vc().addMode());
    EXPECT_EQ(taskText()->text(), QStringLiteral("wakes  "));

    // Back to idle refreshing: a new snooze end passes and the next pass shows it.
    vc().snoozeTask(button("hourButton"), 1);
    EXPECT_NE(taskText()->text(), QStringLiteral("wakes  "));
    now = Date{startTime + 61 + 3601};
    EXPECT_TRUE(QTest::qWaitFor([this] { return taskText()->text() == "wakes  "; }, 1000));
}
