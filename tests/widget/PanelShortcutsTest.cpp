// The seven shortcut handlers: what they do, with the application shown and hidden, and
// where the keyboard focus goes afterwards.
#include "PanelFixture.h"

#include <QDialog>

namespace {

const ModifierFlags controlOption = ModifierFlags::control | ModifierFlags::option;

} // namespace

// (A typed task hands it back too, and the keyboard is taken: the e2e day.) An empty commit adds
// nothing (the A hint is gone) and still hands the focus back. While a modal window holds the
// panel, the panel leaves the keyboard alone and the dialog stays. (One that holds only another
// window leaves the panel free to take it: the e2e windows' edit alert.)
TEST_F(PanelTest, ShortcutAFromAnotherApplicationTakesTheKeyboardUnlessAModalHoldsThePanel) {
    startWith({makeTask("older", 1), makeTutorial(TaskBoard::aHint, 0)});
    QWidget other;
    other.show();
    const std::pair<QWidget*, Qt::WindowModality> holders[] = {{&window(), Qt::ApplicationModal},
                                                               {&window(), Qt::WindowModal},
                                                               {&other, Qt::ApplicationModal}};
    for (const auto& [parent, modality] : holders) {
        QDialog dialog(parent);
        dialog.setWindowTitle("Edit");
        dialog.setWindowModality(modality);
        dialog.show();
        EXPECT_EQ(printed([&] { vc().keyAFunction(); }),
                  "Not adding: finish the open dialog first: Edit\n");
        EXPECT_EQ(std::pair(vc().addMode(), dialog.isVisible()), std::pair(false, true))
            << modality;
    }
    focus->active = 77;
    ASSERT_EQ(hotKeyService->press(KeyCombo(Key::a, controlOption)), noErr);
    EXPECT_EQ(std::tuple(vc().addMode(), focus->activated.size()), std::tuple(true, 0u));
    typeAndCommit(QString());
    EXPECT_EQ(std::tuple(DBManager::getTaskList().size(), vc().addMode(), taskButtonsEnabled(),
                         focus->activated),
              std::tuple(1u, false, std::optional(true), std::vector<FocusService::WindowId>{77}));
}

// (An unknown transition while hidden says so and opens nothing.)
TEST_F(PanelTest, ShortcutsWhileHiddenShowThePanelAndOnlyAActs) {
    startWith({makeTask("keep", 1)});
    const QByteArray before = readFile(home.storeFile("tasksData.data"));
    const qsizetype windows = QApplication::topLevelWidgets().size();
    vc().activation().hide();
    EXPECT_EQ(printed([&] { vc().performSegue("elsewhere"); }),
              "Unknown window transition \"elsewhere\"\n");
    EXPECT_EQ(std::pair(QApplication::topLevelWidgets().size(), vc().activation().isHidden()),
              std::pair(windows, true));
    focus->active = 3;
    for (const auto& handler : {vc().keyDFunction, vc().keyHFunction, vc().key1Function,
                                vc().key2Function, vc().keyWFunction}) {
        vc().activation().hide();
        EXPECT_FALSE(window().isVisible());
        handler();
        EXPECT_EQ(std::tuple(window().isVisible(), vc().activation().isHidden()),
                  std::tuple(true, false));
    }
    EXPECT_EQ(std::tuple(readFile(home.storeFile("tasksData.data")), focus->activated,
                         highlight()->geometry()),
              std::tuple(before, std::vector<FocusService::WindowId>(5, 3), QRect()));

    // A also cancels the pending reappearance of a hidden panel, and adds.
    answerNextAlert("6 Hours");
    vc().hideAction();
    ASSERT_TRUE(vc().activation().isHidden());
    vc().keyAFunction();
    EXPECT_EQ(std::tuple(window().isVisible(), vc().activation().isHidden(),
                         vc().hideTimer().isActive(), vc().addMode(), window().focusWidget()),
              std::tuple(true, false, false, true, static_cast<QWidget*>(taskText())));
}
