// How the panel shows the item the task model chose, and when it asks again.
#include "PanelFixture.h"
#include "ui/NamedColors.h"

// A first start, a task (with two spaces after it), a message before the task: each with its
// text and its colour's name; a tutorial is centred, a message has its call to action.
// With nothing to do, the task buttons are off and the text says how many are snoozed.
TEST_F(PanelTest, ShowsTheChosenItemInItsStyleOrThatThereIsNothingToDo) {
    const auto named = [](const QString& name) { return *NamedColors::color(name); };
    const std::tuple<std::vector<Task>, std::vector<SystemMessage>, QString, QString> cases[] = {
        {{}, {}, TaskBoard::aHint, "tutorial"},
        {{makeTask("task", 1), makeTutorial(TaskBoard::aHint, 0)}, {}, "task  ", "task"},
        {{makeTask("task", 1)},
         {makeMessage(2, 200, "fresh news")},
         "fresh news  ",
         "systemMessage"}};
    for (const auto& [tasks, messages, text, color] : cases) {
        startWith(tasks, messages);
        const bool tutorial = color == "tutorial";
        const bool message = color == "systemMessage";
        const auto accent = taskText()->accent();
        const QPushButton* cta = button("ctaButton");
        // Only a tutorial draws "Hint:" in its own colour.
        EXPECT_EQ(std::tuple(taskText()->text(), taskText()->textColor(),
                             bool(taskText()->alignment() & Qt::AlignHCenter),
                             accent ? std::tuple(accent->length, accent->color)
                                    : std::tuple(0, QColor())),
                  std::tuple(text, named(color), tutorial,
                             tutorial ? std::tuple(5, named("hint")) : std::tuple(0, QColor())));
        EXPECT_EQ(std::tuple(taskButtonsEnabled(), button("addButton")->isEnabled(),
                             taskText()->isReadOnly(), taskText()->isSelectable(),
                             cta->isVisible()),
                  std::tuple(std::optional(true), true, true, false, message))
            << text.toStdString();
        if (message) {
            EXPECT_EQ(std::tuple(cta->text(), cta->palette().color(QPalette::ButtonText)),
                      std::tuple(QString("Read more"), named("systemMessage")));
        }
    }

    // Also when another window changes the tasks.
    startWith({makeTutorial(TaskBoard::hHint, 3)});
    // Snoozing the last tutorial removes it: nothing is left to show.
    QTest::mouseClick(button("hourButton"), Qt::LeftButton);
    EXPECT_EQ(std::tuple(taskText()->text(), taskText()->textColor(), taskButtonsEnabled(),
                         button("unsnoozeButton")->isEnabled(), hintLabel()->isHidden(),
                         vc().currentTask().has_value()),
              std::tuple(QString("Nothing to do"), named("nothing"), std::optional(false), true,
                         true, false));
    // With snoozed tasks: how many, and when the first is back.
    board().replaceTasks({makeSnoozed("later", 1, Date{startTime + 7200}),
                          makeSnoozed("much later", 2, Date{startTime + 90000}),
                          makeSnoozed("no end", 3, std::nullopt)});
    const QDateTime back =
        QDateTime::fromSecsSinceEpoch(static_cast<qint64>(Date{startTime + 7200}.unixSeconds()));
    EXPECT_EQ(taskText()->text(), "Nothing to do · 3 snoozed, next back at " +
                                      QLocale().toString(back.time(), QLocale::ShortFormat));
    // A change from another window is shown at once (above), but never over typing.
    vc().addAction(button("addButton"));
    taskText()->setText("typing");
    board().unsnoozeAll();
    EXPECT_EQ(taskText()->text(), QStringLiteral("typing"));
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
    EXPECT_EQ(std::tuple(taskText()->text(), board().tasks().front().isSnoozed),
              std::tuple(QString("half typed"), true));

    taskText()->clear();
    QTest::keyClick(taskText(), Qt::Key_Return);
    EXPECT_EQ(std::tuple(vc().addMode(), taskText()->text()),
              std::tuple(false, QString("wakes  ")));

    // Back to idle refreshing: a new snooze end passes and the next pass shows it.
    vc().snoozeTask(button("hourButton"), 1);
    EXPECT_NE(taskText()->text(), QStringLiteral("wakes  "));
    now = Date{startTime + 61 + 3601};
    EXPECT_TRUE(QTest::qWaitFor([this] { return taskText()->text() == "wakes  "; }, 10000));
}
