// What the panel's buttons and its input line do on screen; the list effects are the task
// model's and tested with it.
#include "PanelFixture.h"

// Texts are plain text, and a commit outside add mode is ignored.
TEST_F(PanelTest, DoneAndSnoozeShowTheNextItem) {
    SystemMessage message = makeMessage(1, 10, "news");
    message.cta_text = "Terms & Conditions";
    startWith({makeTask("<b>bold</b> & <i>co</i>", 1), makeTask("second", 2), makeTask("third", 3),
               makeTutorial(TaskBoard::dHint, 0)},
              {message});
    EXPECT_EQ(button("ctaButton")->text(), QStringLiteral("Terms && Conditions"));
    QTest::mouseClick(button("weekButton"), Qt::LeftButton);
    EXPECT_EQ(std::tuple(DBManager::getSystemMessages()[0].isSnoozed, taskText()->text()),
              std::tuple(true, QString("<b>bold</b> & <i>co</i>  ")));
    const QByteArray before = readFile(home.storeFile("tasksData.data"));
    vc().textAction();
    EXPECT_EQ(readFile(home.storeFile("tasksData.data")), before);
    QTest::mouseClick(button("doneButton"), Qt::LeftButton);
    EXPECT_EQ(std::tuple(DBManager::getTaskList()[0].isDone, taskText()->text()),
              std::tuple(true, QString("second  ")));
    QTest::mouseClick(button("hourButton"), Qt::LeftButton);
    EXPECT_EQ(taskText()->text(), QStringLiteral("third  "));
    focus->active = 99;
    QTest::mouseClick(button("unsnoozeButton"), Qt::LeftButton);
    EXPECT_EQ(taskText()->text(), QStringLiteral("second  "));
    // Unsnoozing from the panel leaves the focus alone.
    EXPECT_TRUE(focus->activated.empty());
}

TEST_F(PanelTest, AddTurnsTheFieldIntoAnInputLineThatStopsAtAHundredCharacters) {
    startWith({makeTask(QString(300, u'W'), 1), makeTutorial(TaskBoard::aHint, 0)},
              {makeMessage(1, 1, "news")});
    EXPECT_TRUE(button("ctaButton")->isVisible());
    QTest::mouseClick(button("addButton"), Qt::LeftButton);
    EXPECT_EQ(std::tuple(vc().addMode(), taskText()->text(), taskText()->isReadOnly(),
                         taskText()->isSelectable(), taskText()->hasFocus(),
                         taskText()->font().pointSizeF(), taskButtonsEnabled(),
                         button("ctaButton")->isVisible(), hintLabel()->isHidden()),
              std::tuple(true, QString(), false, true, true, ViewController::taskFontSize,
                         std::optional(false), false, true));
    // The A hint is removed and saved at once.
    EXPECT_EQ(DBManager::getTaskList().size(), 1u);

    QTest::keyClicks(taskText(), "Buy milk");
    QTest::keyClick(taskText(), Qt::Key_Return);
    // The message still comes first.
    EXPECT_EQ(std::tuple(vc().addMode(), taskButtonsEnabled(), taskText()->isReadOnly(),
                         DBManager::getTaskList()[1].name, taskText()->text()),
              std::tuple(false, std::optional(true), true, QString("Buy milk"), QString("news  ")));
    QCoreApplication::processEvents();
    EXPECT_EQ(window().focusWidget(), nullptr);

    // The input line stops at a hundred characters and counts down.
    vc().addAction(button("addButton"));
    // A letter with two combining marks, and a family of five code points: one each.
    const QString accented = QStringLiteral("e\u0301\u0323");
    const QString family = QStringLiteral("\U0001F469\u200D\U0001F469\u200D\U0001F467");
    taskText()->setText(accented.repeated(40) + family.repeated(40));
    EXPECT_FALSE(taskText()->charactersLeft()) << "20 left: plenty";
    QTest::keyClicks(taskText(), "a");
    EXPECT_EQ(std::tuple(taskText()->charactersLeft(), taskText()->accessibleDescription()),
              std::tuple(std::optional<qsizetype>(19), QString("19 characters left")));
    QTest::keyClicks(taskText(), QString(30, u'x'));
    EXPECT_EQ(taskText()->text(),
              accented.repeated(40) + family.repeated(40) + "a" + QString(19, u'x'));
    EXPECT_EQ(taskText()->charactersLeft(), 0);
    taskText()->insert(family);
    EXPECT_EQ(taskText()->charactersLeft(), 0) << "a paste past the end keeps what fits";
    QTest::keyClick(taskText(), Qt::Key_Return);
    EXPECT_FALSE(taskText()->charactersLeft()) << "shown only while typing";
}

TEST_F(PanelTest, AShortcutWhileAddingShowsTheTaskItActsOnAndKeepsTheDraft) {
    startWith({makeTask("first", 1), makeTask("second", 2), makeTask("third", 3),
               makeTutorial(TaskBoard::hHint, 0)});
    vc().keyAFunction();
    QTest::keyClicks(taskText(), "half-typed idea");
    // The user clicks into another application and presses Control-Alt-D there.
    focus->active = 12;
    vc().keyDFunction();
    // Done on the task on show when D came.
    EXPECT_EQ(std::tuple(vc().addMode(), DBManager::getTaskList()[1].isDone, taskText()->text(),
                         focus->activated.back()),
              std::tuple(false, true, QString("second  "), 12u));
    // The next Add brings the draft back; Escape leaves add mode the same way.
    vc().keyAFunction();
    EXPECT_EQ(taskText()->text(), QStringLiteral("half-typed idea"));
    QTest::keyClicks(taskText(), " more");
    QTest::keyClick(taskText(), Qt::Key_Escape);
    EXPECT_EQ(std::tuple(vc().addMode(), taskText()->text()),
              std::tuple(false, QString("second  ")));
    vc().keyHFunction();
    EXPECT_EQ(taskText()->text(), QStringLiteral("third  ")) << "second is snoozed";
    vc().addAction(button("addButton"));
    EXPECT_EQ(taskText()->text(), QStringLiteral("half-typed idea more"));
    QTest::keyClick(taskText(), Qt::Key_Return);
    EXPECT_EQ(DBManager::getTaskList().back().name, QStringLiteral("half-typed idea more"));
    vc().addAction(button("addButton"));
    EXPECT_TRUE(taskText()->text().isEmpty()) << "a commit uses the draft up";
}
