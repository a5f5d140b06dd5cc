// The seven shortcut handlers: what they do, with the application shown and hidden, and
// where the keyboard focus goes afterwards.
#include "PanelFixture.h"
#include "help/HelpBrowser.h"
#include "help/HelpVC.h"

#include <QDialog>

namespace {

const ModifierFlags controlOption = ModifierFlags::control | ModifierFlags::option;

} // namespace

TEST_F(PanelTest, ShortcutAFromAnotherApplicationAddsAndHandsTheFocusBack) {
    DBManager::saveTaskList({makeTask("older", 1), makeTutorial(TaskBoard::aHint, 0)});
    start();
    focus->active = 77;
    ASSERT_EQ(hotKeyService->press(KeyCombo(Key::a, controlOption)), noErr);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window()));
    EXPECT_TRUE(vc().addMode());
    EXPECT_TRUE(taskText()->hasFocus());
    EXPECT_TRUE(focus->activated.empty());
    // An empty commit adds nothing and still hands the focus back.
    typeAndCommit(QString());
    EXPECT_EQ(DBManager::getTaskList().size(), 1u) << "the A hint is gone";
    EXPECT_FALSE(vc().addMode());
    EXPECT_EQ(taskButtonsEnabled(), true);
    EXPECT_EQ(focus->activated, std::vector<FocusService::WindowId>{77});

    vc().keyAFunction();
    QTest::keyClicks(taskText(), "new one");
    QTest::keyClick(taskText(), Qt::Key_Return);
    EXPECT_EQ(DBManager::getTaskList().back().name, QStringLiteral("new one"));
    EXPECT_EQ(taskText()->text(), QStringLiteral("older  "));
    EXPECT_EQ(focus->activated, (std::vector<FocusService::WindowId>{77, 77}));
}

TEST_F(PanelTest, ShortcutsDHW12ActAndHandTheFocusBack) {
    std::vector<Task> tasks;
    for (int i = 0; i < 5; ++i) {
        tasks.push_back(makeTask(QStringLiteral("t%1").arg(i), i + 1));
    }
    DBManager::saveTaskList(tasks);
    start();
    focus->active = 12;
    for (const Key key : {Key::d, Key::h, Key::one, Key::two, Key::w}) {
        ASSERT_EQ(hotKeyService->press(KeyCombo(key, controlOption)), noErr);
    }
    const auto stored = DBManager::getTaskList();
    // The tutorials, made now, sort after these older tasks.
    EXPECT_TRUE(stored[0].isDone);
    const double lengths[] = {3600, 86400, 172800, 604800};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(stored[1 + i].isSnoozed);
        EXPECT_EQ(stored[1 + i].snoozedUntil, Date{startTime + lengths[i]});
    }
    EXPECT_EQ(focus->activated, std::vector<FocusService::WindowId>(5, 12));
    EXPECT_FALSE(vc().addMode());
    // A key-up has no handler.
    EXPECT_EQ(hotKeyService->release(hotKeyService->live.front().id.id), eventNotHandledErr);
}

TEST_F(PanelTest, ShortcutsWhileHiddenShowThePanelAndOnlyAActs) {
    DBManager::saveTaskList({makeTask("keep", 1)});
    start();
    const QByteArray before = readFile(home.storeFile("tasksData.data"));
    focus->active = 3;
    for (const auto& handler : {vc().keyDFunction, vc().keyHFunction, vc().key1Function,
                                vc().key2Function, vc().keyWFunction}) {
        vc().activation().hide();
        EXPECT_FALSE(window().isVisible());
        handler();
        EXPECT_TRUE(window().isVisible());
        EXPECT_FALSE(vc().activation().isHidden());
    }
    EXPECT_EQ(readFile(home.storeFile("tasksData.data")), before);
    EXPECT_EQ(focus->activated, std::vector<FocusService::WindowId>(5, 3));
    EXPECT_EQ(highlight()->geometry(), QRect());

    // A also cancels the pending reappearance of a hidden panel, and adds.
    answerNextAlert("6 Hours");
    vc().hideAction();
    ASSERT_TRUE(vc().activation().isHidden());
    vc().keyAFunction();
    EXPECT_TRUE(window().isVisible());
    EXPECT_FALSE(vc().activation().isHidden());
    EXPECT_FALSE(vc().hideTimer().isActive());
    EXPECT_TRUE(vc().addMode());
    EXPECT_EQ(window().focusWidget(), taskText());
}

TEST_F(PanelTest, ShortcutTOpensOneTaskListAndBringsAMinimizedOneBack) {
    start();
    int opened = 0;
    QPointer<QWidget> presented;
    app->windows().registerWindow("alltasks", [&] {
        ++opened;
        presented = new QWidget;
        return presented.data();
    });
    focus->active = 8;
    vc().activation().hide();
    vc().keyTFunction();
    EXPECT_TRUE(window().isVisible());
    EXPECT_EQ(opened, 1);
    presented->showMinimized();
    vc().keyTFunction();
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(presented->windowState() & Qt::WindowMinimized);
    // T leaves the remembered application alone.
    EXPECT_TRUE(focus->activated.empty());

    presented->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(presented.isNull());
    vc().keyTFunction();
    EXPECT_EQ(opened, 2);
    delete presented;
}

TEST_F(PanelTest, AnUnknownTransitionSaysSoAndTakesNoFocus) {
    start();
    const int before = QApplication::topLevelWidgets().size();
    vc().activation().hide();
    EXPECT_EQ(printed([&] { vc().performSegue("elsewhere"); }),
              "Unknown window transition \"elsewhere\"\n");
    EXPECT_EQ(QApplication::topLevelWidgets().size(), before);
    EXPECT_TRUE(vc().activation().isHidden());
}

TEST_F(PanelTest, HelpOpensNamingTheAssignedKeysAndFollowsANewAssignment) {
    start();
    QTest::mouseClick(button("helpButton"), Qt::LeftButton);
    HelpVC* help = openWindow<HelpVC>();
    ASSERT_NE(help, nullptr);
    const auto page = [help] { return help->webView()->toPlainText(); };
    EXPECT_TRUE(page().contains("Snooze: CTRL + ALT + H, 1, 2 or W")) << page().toStdString();
    DBManager::saveKeys({0, 3, 25, 27, 28, 22, 19});
    vc().shortcuts().setup();
    EXPECT_TRUE(page().contains("Snooze: CTRL + ALT + Z, 1, 2 or W")) << page().toStdString();
    help->close();
}

TEST_F(PanelTest, FOneOpensHelpFromThePanelAndTheTaskList) {
    start();
    QWidget* tasks = app->windows().open("alltasks");
    ASSERT_NE(tasks, nullptr);
    for (QWidget* from : {static_cast<QWidget*>(&window()), tasks}) {
        QApplication::setActiveWindow(from);
        QTest::keyClick(from, Qt::Key_F1);
        HelpVC* help = openWindow<HelpVC>();
        ASSERT_NE(help, nullptr) << from->windowTitle().toStdString();
        help->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    tasks->close();
}

// The add shortcut while a modal window is up: one that holds the panel keeps the keyboard
// and comes forward; one that holds only another window leaves the panel free to take it.
TEST_F(PanelTest, TheAddShortcutTakesTheKeyboardOnlyWhenNoModalWindowHoldsThePanel) {
    start();
    QWidget other;
    other.show();
    const struct {
        bool onPanel;
        Qt::WindowModality modality;
        bool adds;
    } cases[] = {{true, Qt::ApplicationModal, false},
                 {true, Qt::WindowModal, false},
                 {false, Qt::ApplicationModal, false},
                 {false, Qt::WindowModal, true}};
    for (const auto& c : cases) {
        QDialog dialog(c.onPanel ? static_cast<QWidget*>(&window()) : &other);
        dialog.setWindowTitle("Edit");
        dialog.setWindowModality(c.modality);
        dialog.show();
        const std::string out = printed([&] { vc().keyAFunction(); });
        EXPECT_EQ(vc().addMode(), c.adds) << c.onPanel << c.modality;
        EXPECT_EQ(out, c.adds ? "" : "Not adding: finish the open dialog first: Edit\n");
        EXPECT_TRUE(dialog.isVisible());
        vc().leaveAddMode();
    }
}
