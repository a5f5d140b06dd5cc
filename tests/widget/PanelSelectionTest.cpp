// How the panel shows the item the task model chose, and when it asks again.
#include "PanelFixture.h"
#include "support/NamedColors.h"

namespace {

QColor named(const char* name) {
    return *NamedColors::color(QLatin1String(name));
}

} // namespace

struct ShownCase {
    const char* what;
    std::vector<Task> tasks;
    std::vector<SystemMessage> messages;
    QString text;
    const char* color;
    bool centred;
    bool buttons;
    bool callToAction;
};

void PrintTo(const ShownCase& c, std::ostream* os) {
    *os << c.what;
}

class PanelShows : public PanelTest, public testing::WithParamInterface<ShownCase> {};

TEST_P(PanelShows, TheChosenItemInItsStyle) {
    const ShownCase& c = GetParam();
    DBManager::saveTaskList(c.tasks);
    DBManager::saveSystemMessages(c.messages);
    start();
    EXPECT_EQ(taskText()->text(), c.text);
    EXPECT_EQ(taskText()->textColor(), named(c.color));
    EXPECT_EQ(bool(taskText()->alignment() & Qt::AlignHCenter), c.centred);
    // Only a tutorial draws "Hint:" in its own colour.
    EXPECT_EQ(taskText()->accent().has_value(), c.centred);
    if (c.centred) {
        EXPECT_EQ(taskText()->accent()->length, 5);
        EXPECT_EQ(taskText()->accent()->color, named("hint"));
    }
    EXPECT_EQ(taskButtonsEnabled(), c.buttons);
    EXPECT_EQ(taskButtonsDisabled(), !c.buttons);
    EXPECT_TRUE(button("addButton")->isEnabled());
    EXPECT_TRUE(taskText()->isReadOnly());
    EXPECT_FALSE(taskText()->isSelectable());
    EXPECT_EQ(button("ctaButton")->isVisible(), c.callToAction);
    if (c.callToAction) {
        EXPECT_EQ(button("ctaButton")->text(), QStringLiteral("Read more"));
        EXPECT_EQ(button("ctaButton")->palette().color(QPalette::ButtonText),
                  named("systemMessage"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, PanelShows,
    testing::Values(
        ShownCase{"first start", {}, {}, TaskBoard::aHint, "tutorial", true, true, false},
        ShownCase{"a task, with two spaces after it",
                  {makeTask("task", 1), makeTutorial(TaskBoard::aHint, 0)},
                  {},
                  "task  ",
                  "task",
                  false,
                  true,
                  false},
        ShownCase{"a message before the task",
                  {makeTask("task", 1)},
                  {makeMessage(2, 200, "fresh news")},
                  "fresh news  ",
                  "systemMessage",
                  false,
                  true,
                  true},
        ShownCase{"a done tutorial when nothing is open",
                  {[] {
                      Task tutorial = makeTutorial(TaskBoard::aHint, 0);
                      tutorial.isDone = true;
                      return tutorial;
                  }()},
                  {},
                  TaskBoard::aHint,
                  "tutorial",
                  true,
                  true,
                  false}),
    [](const auto& param) { return std::to_string(param.index); });

TEST_F(PanelTest, NothingToDoDisablesTheTaskButtonsAndHidesTheHint) {
    DBManager::saveTaskList({makeTutorial(TaskBoard::hHint, 3)});
    start();
    // Snoozing the last tutorial removes it: nothing is left to show.
    QTest::mouseClick(button("hourButton"), Qt::LeftButton);
    EXPECT_EQ(taskText()->text(), QStringLiteral("Nothing to do"));
    EXPECT_EQ(taskText()->textColor(), named("nothing"));
    EXPECT_TRUE(taskButtonsDisabled());
    EXPECT_TRUE(button("unsnoozeButton")->isEnabled());
    EXPECT_TRUE(hintLabel()->isHidden());
    EXPECT_FALSE(vc().currentTask());
}

TEST_F(PanelTest, RefreshTimerRunsPassesButNotWhileAdding) {
    DBManager::saveTaskList({makeSnoozed("wakes", 1, Date{startTime + 60})});
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

TEST_F(PanelTest, AChangeFromAnotherWindowIsShownButNeverOverTyping) {
    DBManager::saveTaskList({makeTask("first", 1), makeTask("second", 2)});
    start();
    board().setDone({board().tasks()[0].id}, true);
    EXPECT_EQ(taskText()->text(), QStringLiteral("second  "));
    vc().addAction(button("addButton"));
    taskText()->setText("typing");
    board().unsnoozeAll();
    EXPECT_EQ(taskText()->text(), QStringLiteral("typing"));
}
