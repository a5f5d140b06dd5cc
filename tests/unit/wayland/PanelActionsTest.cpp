// The panel actions a later launch hands over: each acts as its shortcut and says what it
// did, or why it did nothing.
#include "shell/PanelActions.h"
#include "tests/widget/PanelFixture.h"

namespace {

QString run(ViewController& panel, const char* name, const QString& text = {}) {
    const ActionReply reply = PanelActions::run(panel, {QString::fromLatin1(name), text, {}});
    return (reply.done ? QStringLiteral("done: ") : QStringLiteral("refused: ")) + reply.message;
}

} // namespace

// The D hint goes with the first Done, so the list can run out of things to show. An action
// while hidden shows the panel again, as its shortcut does.
TEST_F(PanelTest, DoneAndSnoozeActOnTheShownTaskAndNameItAndAddTakesATextOrOpensTheInputLine) {
    DBManager::saveTaskList(
        {makeTask("first", 1), makeTask("second", 2), makeTutorial(TaskBoard::dHint, 0)});
    start();
    EXPECT_EQ(run(vc(), "done"), "done: Done: first");
    EXPECT_EQ(run(vc(), "week"), "done: Snoozed for a week: second");
    const std::vector<Task> tasks = DBManager::getTaskList();
    ASSERT_EQ(tasks.size(), 2u);
    EXPECT_TRUE(tasks[0].isDone && tasks[1].isSnoozed);
    EXPECT_EQ(run(vc(), "hour"), "refused: Nothing to do: the panel shows no task");
    EXPECT_EQ(run(vc(), "undo"), "refused: Unknown action 'undo'");
    ASSERT_TRUE(run(vc(), "add", "third").startsWith("done: "));
    vc().activation().hide();
    EXPECT_EQ(run(vc(), "done"), "done: The panel was hidden and is shown again");
    EXPECT_FALSE(vc().activation().isHidden() || DBManager::getTaskList().back().isDone);

    // Add with a text adds it at once; without one it opens the input line.
    const QString cut(TaskBoard::maxTaskLength, u'x');
    EXPECT_EQ(run(vc(), "add", cut + "yz"), "done: Added (cut to 100 characters): " + cut);
    EXPECT_EQ(DBManager::getTaskList().back().name, cut);
    EXPECT_EQ(run(vc(), "add", "whole"), "done: Added: whole");
    EXPECT_FALSE(vc().addMode());
    EXPECT_TRUE(run(vc(), "add").startsWith("done: "));
    EXPECT_EQ(std::tuple(vc().addMode(), DBManager::getTaskList().size()), std::tuple(true, 5u));
}

// The notice names the real reason a key is not bound, refused when registering or by the
// desktop afterwards; only a key another application holds is "taken".
TEST_F(PanelTest, TheRefusedShortcutNoticeGivesTheReason) {
    const std::tuple<HotKeyRefusal, HotKeyRefusal, QString> cases[] = {
        {{"no X11 connection", false},
         {},
         "Ctrl+Alt+A (Add a task) is not bound: no X11 connection. Change…"},
        {{},
         {"the portal refused: no session", false},
         "Ctrl+Alt+A (Add a task) is not bound: the portal refused: no session. Change…"}};
    for (const auto& [atOnce, later, text] : cases) {
        hotKeyService->refusal = atOnce;
        hotKeyService->onRegister = [this, refuseA = later.reason.isEmpty()](const KeyCombo& combo,
                                                                             EventHotKeyID) {
            hotKeyService->refusing = refuseA && combo.key() == Key::a;
        };
        start();
        if (!later.reason.isEmpty()) {
            hotKeyService->bindingHandler(hotKeyService->live.at(0).handle, {false, {}, later});
        }
        EXPECT_EQ(button("noticeButton")->text(), text);
    }
}
