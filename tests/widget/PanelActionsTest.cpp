// What each action does to the stored lists, and add mode.
#include "PanelFixture.h"

TEST_F(PanelTest, DoneMarksTheShownTaskAndShowsTheNextOne) {
    DBManager::saveTaskList(
        {makeTask("first", 1), makeTask("second", 2), makeTutorial(TaskBoard::dHint, 0)});
    start();
    now = Date{startTime + 12.5};
    QTest::mouseClick(button("doneButton"), Qt::LeftButton);
    const auto stored = DBManager::getTaskList();
    ASSERT_EQ(stored.size(), 2u); // the D tutorial is gone
    EXPECT_EQ(stored[0].name, QStringLiteral("first"));
    EXPECT_TRUE(stored[0].isDone);
    EXPECT_EQ(stored[0].doneDate, now);
    EXPECT_FALSE(stored[1].isDone);
    EXPECT_EQ(taskText()->text(), QStringLiteral("second  "));
}

TEST_F(PanelTest, DoneOnAMessageRemovesOnlyThatMessage) {
    DBManager::saveSystemMessages({makeMessage(1, 10, "one"), makeMessage(2, 20, "two")});
    DBManager::saveTaskList({makeTask("task", 1), makeTutorial(TaskBoard::dHint, 0)});
    start();
    const QByteArray tasksBefore = readFile(home.storeFile("tasksData.data"));
    QTest::mouseClick(button("doneButton"), Qt::LeftButton);
    ASSERT_EQ(DBManager::getSystemMessages().size(), 1u);
    EXPECT_EQ(DBManager::getSystemMessages()[0].id, 2);
    EXPECT_EQ(taskText()->text(), QStringLiteral("two  "));
    QTest::mouseClick(button("doneButton"), Qt::LeftButton);
    EXPECT_TRUE(DBManager::getSystemMessages().empty());
    EXPECT_EQ(taskText()->text(), QStringLiteral("task  "));
    // Neither the task nor the D tutorial was touched.
    EXPECT_EQ(readFile(home.storeFile("tasksData.data")), tasksBefore);
}

TEST_F(PanelTest, EachSnoozeLastsExactlyItsLengthInSeconds) {
    DBManager::saveTaskList({makeTask("a", 1), makeTask("b", 2), makeTask("c", 3), makeTask("d", 4),
                             makeTutorial(TaskBoard::aHint, 0)});
    start();
    const std::pair<const char*, double> snoozes[] = {{"hourButton", 3600},
                                                      {"oneDayButton", 86400},
                                                      {"twoDayButton", 172800},
                                                      {"weekButton", 604800}};
    for (size_t i = 0; i < 4; ++i) {
        now = Date{startTime + 0.25 + static_cast<double>(i)};
        QTest::mouseClick(button(snoozes[i].first), Qt::LeftButton);
        const Task snoozed = DBManager::getTaskList()[i + 1];
        EXPECT_TRUE(snoozed.isSnoozed) << snoozes[i].first;
        EXPECT_EQ(snoozed.snoozedUntil, Date{now.secondsSinceReferenceDate + snoozes[i].second})
            << snoozes[i].first;
    }
    EXPECT_EQ(taskText()->text(), TaskBoard::aHint);

    // A shown message is snoozed in its own list.
    DBManager::saveSystemMessages({makeMessage(5, 1, "news")});
    app.reset();
    start();
    QTest::mouseClick(button("weekButton"), Qt::LeftButton);
    const SystemMessage message = DBManager::getSystemMessages()[0];
    EXPECT_TRUE(message.isSnoozed);
    EXPECT_EQ(message.snoozedUntil, Date{now.secondsSinceReferenceDate + 604800});
}

TEST_F(PanelTest, AnySnoozeRemovesTheHHintEvenWithNothingToSnooze) {
    DBManager::saveTaskList({makeTutorial(TaskBoard::aHint, 1), makeTutorial(TaskBoard::hHint, 2)});
    start();
    // Add takes the A hint away; the item on show is gone, so nothing is current.
    vc().addAction(button("addButton"));
    EXPECT_FALSE(vc().currentTask());
    vc().keyHFunction();
    EXPECT_TRUE(DBManager::getTaskList().empty());
    EXPECT_EQ(taskText()->text(), QStringLiteral("Nothing to do"));
    // The pass replaced the input line, but only a commit ends add mode.
    EXPECT_TRUE(vc().addMode());
    EXPECT_TRUE(taskText()->isReadOnly());

    // Snoozing an ordinary task removes the H hint as well.
    DBManager::saveTaskList({makeTask("task", 5), makeTutorial(TaskBoard::hHint, 2)});
    app.reset();
    start();
    QTest::mouseClick(button("twoDayButton"), Qt::LeftButton);
    const auto stored = DBManager::getTaskList();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].name, QStringLiteral("task"));
    EXPECT_TRUE(stored[0].isSnoozed);
}

TEST_F(PanelTest, UnsnoozeAllClearsEveryTaskButNoMessage) {
    Task doneSnoozed = makeTask("done and snoozed", 1);
    doneSnoozed.isDone = true;
    doneSnoozed.isSnoozed = true;
    doneSnoozed.snoozedUntil = Date{startTime + 500};
    Task snoozed = makeTask("snoozed", 2);
    snoozed.isSnoozed = true;
    SystemMessage message = makeMessage(3, 1, "news");
    message.isSnoozed = true;
    message.snoozedUntil = Date{startTime + 500};
    DBManager::saveTaskList({doneSnoozed, snoozed});
    DBManager::saveSystemMessages({message});
    start();
    focus->active = 99;
    QTest::mouseClick(button("unsnoozeButton"), Qt::LeftButton);
    for (const Task& t : DBManager::getTaskList()) {
        EXPECT_FALSE(t.isSnoozed) << t.name.toStdString();
        EXPECT_FALSE(t.snoozedUntil) << t.name.toStdString();
    }
    EXPECT_TRUE(DBManager::getSystemMessages()[0].isSnoozed);
    EXPECT_EQ(taskText()->text(), QStringLiteral("snoozed  "));
    EXPECT_TRUE(focus->activated.empty());
}

TEST_F(PanelTest, AddTurnsTheFieldIntoAnInputLine) {
    DBManager::saveTaskList({makeTask(QString(300, u'W'), 1), makeTutorial(TaskBoard::aHint, 0)});
    SystemMessage message = makeMessage(1, 1, "news");
    DBManager::saveSystemMessages({message});
    start();
    EXPECT_TRUE(button("ctaButton")->isVisible());
    QTest::mouseClick(button("addButton"), Qt::LeftButton);
    EXPECT_TRUE(vc().addMode());
    EXPECT_TRUE(taskText()->text().isEmpty());
    EXPECT_FALSE(taskText()->isReadOnly());
    EXPECT_TRUE(taskText()->isSelectable());
    EXPECT_TRUE(taskText()->hasFocus());
    EXPECT_EQ(taskText()->font().pointSizeF(), ViewController::taskFontSize);
    EXPECT_TRUE(taskButtonsDisabled());
    EXPECT_FALSE(button("ctaButton")->isVisible());
    EXPECT_TRUE(hintLabel()->isHidden());
    // The A hint is removed and saved at once.
    EXPECT_EQ(DBManager::getTaskList().size(), 1u);

    QTest::keyClicks(taskText(), "Buy milk");
    QTest::keyClick(taskText(), Qt::Key_Return);
    EXPECT_FALSE(vc().addMode());
    EXPECT_TRUE(taskButtonsEnabled());
    EXPECT_TRUE(taskText()->isReadOnly());
    const auto stored = DBManager::getTaskList();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[1].name, QStringLiteral("Buy milk"));
    EXPECT_EQ(stored[1].created, now);
    EXPECT_FALSE(stored[1].isTutorial || stored[1].isDone || stored[1].isSnoozed);
    // The message still comes first.
    EXPECT_EQ(taskText()->text(), QStringLiteral("news  "));
    QCoreApplication::processEvents();
    EXPECT_EQ(window().focusWidget(), nullptr);
}

TEST_F(PanelTest, CommitKeepsTheFirstHundredCharacters) {
    start();
    // 250 user-perceived characters, the first 50 of them five code points each.
    const QString family = QStringLiteral("\U0001F469\u200D\U0001F469\u200D\U0001F467");
    const QString text = family.repeated(50) + QString(200, u'x');
    vc().addAction(button("addButton"));
    typeAndCommit(text);
    vc().addAction(button("addButton"));
    typeAndCommit(QString(100, u'y'));
    vc().addAction(button("addButton"));
    typeAndCommit(QStringLiteral("   "));
    const auto stored = DBManager::getTaskList();
    ASSERT_EQ(stored.size(), 5u);
    EXPECT_EQ(stored[2].name, family.repeated(50) + QString(50, u'x'));
    EXPECT_EQ(stored[3].name, QString(100, u'y'));
    // Not trimmed: spaces make a task.
    EXPECT_EQ(stored[4].name, QStringLiteral("   "));
}

TEST_F(PanelTest, EmptyCommitAddsNothingAndShowsTheDHint) {
    start();
    focus->active = 5;
    vc().keyAFunction();
    EXPECT_TRUE(vc().addMode());
    typeAndCommit(QString());
    const auto stored = DBManager::getTaskList();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].name, TaskBoard::dHint);
    EXPECT_FALSE(vc().addMode());
    EXPECT_EQ(taskText()->text(), TaskBoard::dHint);
    EXPECT_TRUE(taskButtonsEnabled());
    // The focus still goes back.
    EXPECT_EQ(focus->activated, std::vector<FocusService::WindowId>{5});
}

TEST_F(PanelTest, TypedTextIsPlainTextAndCommitIsIgnoredOutsideAddMode) {
    DBManager::saveTaskList({makeTask("<b>bold</b> & <i>co</i>", 1)});
    SystemMessage message = makeMessage(1, 1, "Terms");
    message.cta_text = "Terms & Conditions";
    DBManager::saveSystemMessages({message});
    start();
    EXPECT_EQ(button("ctaButton")->text(), QStringLiteral("Terms && Conditions"));
    QTest::mouseClick(button("doneButton"), Qt::LeftButton);
    EXPECT_EQ(taskText()->text(), QStringLiteral("<b>bold</b> & <i>co</i>  "));

    const QByteArray before = readFile(home.storeFile("tasksData.data"));
    vc().textAction();
    EXPECT_EQ(readFile(home.storeFile("tasksData.data")), before);
}
