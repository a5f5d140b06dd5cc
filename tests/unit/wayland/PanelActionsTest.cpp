// The panel actions a later launch hands over: each acts as its shortcut and says what it
// did, or why it did nothing.
#include "PanelActions.h"
#include "tests/widget/PanelFixture.h"

namespace {

QString run(ViewController& panel, const char* name, const QString& text = {}) {
    const ActionReply reply = PanelActions::run(panel, {QString::fromLatin1(name), text, {}});
    return (reply.done ? QStringLiteral("done: ") : QStringLiteral("refused: ")) + reply.message;
}

} // namespace

// The D hint goes with the first Done, so the list can run out of things to show.
TEST_F(PanelTest, DoneAndSnoozeActOnTheShownTaskAndNameIt) {
    DBManager::saveTaskList(
        {makeTask("first", 1), makeTask("second", 2), makeTutorial(TaskBoard::dHint, 0)});
    start();
    EXPECT_EQ(run(vc(), "done"), "done: Done: first");
    EXPECT_EQ(run(vc(), "week"), "done: Snoozed for a week: second");
    const std::vector<Task> tasks = DBManager::getTaskList();
    ASSERT_EQ(tasks.size(), 2u);
    EXPECT_TRUE(tasks[0].isDone);
    EXPECT_TRUE(tasks[1].isSnoozed);
    EXPECT_EQ(run(vc(), "hour"), "refused: Nothing to do: the panel shows no task");
    EXPECT_EQ(run(vc(), "undo"), "refused: Unknown action 'undo'");
}

TEST_F(PanelTest, AddWithATextAddsItAtOnceAndWithoutOneOpensTheInputLine) {
    DBManager::saveTaskList({makeTutorial(TaskBoard::dHint, 0)});
    start();
    const QString cut(TaskBoard::maxTaskLength, u'x');
    EXPECT_EQ(run(vc(), "add", cut + "yz"), "done: Added: " + cut);
    EXPECT_EQ(DBManager::getTaskList().back().name, cut);
    EXPECT_FALSE(vc().addMode());
    EXPECT_TRUE(run(vc(), "add").startsWith("done: "));
    EXPECT_TRUE(vc().addMode());
    EXPECT_EQ(DBManager::getTaskList().size(), 2u);
}

TEST_F(PanelTest, AnActionWhileHiddenShowsThePanelAgainAsItsShortcutDoes) {
    DBManager::saveTaskList({makeTask("first", 1), makeTutorial(TaskBoard::dHint, 0)});
    start();
    vc().hideApplication();
    EXPECT_EQ(run(vc(), "done"), "done: The panel was hidden and is shown again");
    EXPECT_FALSE(vc().isApplicationHidden());
    EXPECT_FALSE(DBManager::getTaskList().back().isDone);
}
