// How the panel shows the item the task model chose, and when it asks again.
#include "PanelFixture.h"
#include "ui/NamedColors.h"

namespace {

QColor named(const QString& name) {
    return *NamedColors::color(name);
}

} // namespace

struct ShownCase {
    const char* what;
    std::vector<Task> tasks;
    std::vector<SystemMessage> messages;
    QString text;
    // Its colour's name; a tutorial is centred, a message has its call to action.
    QString color;
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
    const bool tutorial = c.color == "tutorial";
    const bool message = c.color == "systemMessage";
    EXPECT_EQ(taskText()->text(), c.text);
    EXPECT_EQ(taskText()->textColor(), named(c.color));
    EXPECT_EQ(bool(taskText()->alignment() & Qt::AlignHCenter), tutorial);
    // Only a tutorial draws "Hint:" in its own colour.
    EXPECT_EQ(taskText()->accent().has_value(), tutorial);
    if (tutorial) {
        EXPECT_EQ(taskText()->accent()->length, 5);
        EXPECT_EQ(taskText()->accent()->color, named("hint"));
    }
    EXPECT_EQ(taskButtonsEnabled(), true);
    EXPECT_TRUE(button("addButton")->isEnabled());
    EXPECT_TRUE(taskText()->isReadOnly());
    EXPECT_FALSE(taskText()->isSelectable());
    EXPECT_EQ(button("ctaButton")->isVisible(), message);
    if (message) {
        EXPECT_EQ(button("ctaButton")->text(), QStringLiteral("Read more"));
        EXPECT_EQ(button("ctaButton")->palette().color(QPalette::ButtonText),
                  named("systemMessage"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, PanelShows,
    testing::Values(ShownCase{"first start", {}, {}, TaskBoard::aHint, "tutorial"},
                    ShownCase{"a task, with two spaces after it",
                              {makeTask("task", 1), makeTutorial(TaskBoard::aHint, 0)},
                              {},
                              "task  ",
                              "task"},
                    ShownCase{"a message before the task",
                              {makeTask("task", 1)},
                              {makeMessage(2, 200, "fresh news")},
                              "fresh news  ",
                              "systemMessage"}),
    [](const auto& param) { return std::to_string(param.index); });

TEST_F(PanelTest, NothingToDoDisablesTheTaskButtonsAndHidesTheHint) {
    DBManager::saveTaskList({makeTutorial(TaskBoard::hHint, 3)});
    start();
    // Snoozing the last tutorial removes it: nothing is left to show.
    QTest::mouseClick(button("hourButton"), Qt::LeftButton);
    EXPECT_EQ(taskText()->text(), QStringLiteral("Nothing to do"));
    EXPECT_EQ(taskText()->textColor(), named("nothing"));
    EXPECT_EQ(taskButtonsEnabled(), false);
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
    EXPECT_TRUE(QTest::qWaitFor([this] { return taskText()->text() == "wakes  "; }, 10000));
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
