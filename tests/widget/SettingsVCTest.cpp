#include "panel/SettingsVC.h"
#include "PanelFixture.h"

#include <QComboBox>

namespace {

const ModifierFlags controlOption = ModifierFlags::control | ModifierFlags::option;
constexpr int add = 0, done = 1, hour = 2, allTasks = 6;
constexpr int keyA = 0, keyD = 3, keyZ = 25;

} // namespace

class SettingsTest : public PanelTest {
protected:
    // Opens the settings window from the panel, as its button does.
    SettingsVC* openSettings() {
        QTest::mouseClick(button("settingsButton"), Qt::LeftButton);
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* s = qobject_cast<SettingsVC*>(w); s && s->isVisible()) {
                return s;
            }
        }
        return nullptr;
    }

    // A pick by the user in the drop-down list of `action`; returns what was printed.
    std::string pick(SettingsVC& settings, int action, int position) {
        QComboBox* box = settings.combo(action);
        testing::internal::CaptureStdout();
        box->setCurrentIndex(position);
        emit box->activated(position);
        return testing::internal::GetCapturedStdout();
    }

    std::vector<std::optional<Key>> registeredKeys() const {
        std::vector<std::optional<Key>> keys;
        for (const auto& r : hotKeyService->live) {
            keys.push_back(r.combo.key());
        }
        return keys;
    }
};

TEST_F(SettingsTest, ListsTheKeysAndShowsTheStoredAssignment) {
    DBManager::saveKeys({1, 3, 7, 27, 28, 22, 19});
    start();
    SettingsVC* settings = openSettings();
    ASSERT_NE(settings, nullptr);
    const char* names[] = {"addNewCombo",     "doneCombo",       "snooze1HourCombo",
                           "snooze1DayCombo", "snooze2DayCombo", "snooze1WeekCombo",
                           "allTasksCombo"};
    for (int tag = 0; tag < 7; ++tag) {
        QComboBox* box = settings->findChild<QComboBox*>(names[tag]);
        ASSERT_EQ(box, settings->combo(tag));
        EXPECT_EQ(box->property("tag").toInt(), tag);
        ASSERT_EQ(box->count(), 36);
        EXPECT_EQ(box->itemText(0), "A");
        EXPECT_EQ(box->itemText(25), "Z");
        EXPECT_EQ(box->itemText(26), "0");
        EXPECT_EQ(box->itemText(35), "9");
        EXPECT_FALSE(settings->refusedMark(tag)->isVisible());
    }
    EXPECT_EQ(settings->combo(add)->currentText(), "B");
    EXPECT_EQ(settings->combo(allTasks)->currentText(), "T");
    EXPECT_EQ(settings->currentKeys(),
              (std::vector<Key>{Key::b, Key::d, Key::h, Key::one, Key::two, Key::w, Key::t}));
    settings->close();
}

TEST_F(SettingsTest, AKeyOfAnotherActionIsRevertedAndSwappingTakesThreePicks) {
    start();
    SettingsVC* settings = openSettings();
    ASSERT_NE(settings, nullptr);

    EXPECT_EQ(pick(*settings, done, keyA),
              "comboBoxSelectionDidChange: 1, value: A\nA  already in use\n");
    EXPECT_EQ(settings->combo(done)->currentText(), "D");
    EXPECT_EQ(settings->keyIndexes()[done], keyD);

    // Its own key again is accepted and changes nothing.
    EXPECT_EQ(pick(*settings, hour, 7), "comboBoxSelectionDidChange: 2, value: H\n");
    EXPECT_EQ(settings->keyIndexes(), DBManager::defaultKeyIndexes());

    // A and D change places: one of them has to go to a free key first.
    pick(*settings, add, keyZ);
    EXPECT_EQ(pick(*settings, done, keyA), "comboBoxSelectionDidChange: 1, value: A\n");
    pick(*settings, add, keyD);
    EXPECT_EQ(settings->keyIndexes(), (std::vector<std::int64_t>{keyD, keyA, 7, 27, 28, 22, 19}));
    EXPECT_EQ(settings->currentKeys()[add], Key::d);

    // A pick without a selected entry (text typed into the box) takes no key.
    EXPECT_EQ(pick(*settings, hour, -1), "");
    EXPECT_EQ(settings->keyIndexes()[hour], 7);
    settings->close();
}

TEST_F(SettingsTest, SaveStoresThenReRegistersAllSevenAfterAMoment) {
    start();
    SettingsVC* settings = openSettings();
    ASSERT_NE(settings, nullptr);
    pick(*settings, add, keyZ);
    pick(*settings, done, keyA);
    const int registrationsBefore = hotKeyService->registerCalls;
    const QPointer<SettingsVC> closing(settings);

    QTest::mouseClick(settings->findChild<QPushButton*>("saveButton"), Qt::LeftButton);
    EXPECT_EQ(DBManager::getKeys(), (std::vector<std::int64_t>{keyZ, keyA, 7, 27, 28, 22, 19}));
    EXPECT_EQ(hotKeyService->live.size(), 7u) << "nothing changes before the reset";

    // The reset drops all seven and closes the window; nothing is registered in the gap.
    ASSERT_TRUE(QTest::qWaitFor([&] { return hotKeyService->live.empty(); }, 2000));
    EXPECT_EQ(hotKeyService->registerCalls, registrationsBefore);
    EXPECT_TRUE(QTest::qWaitFor([&] { return closing.isNull(); }, 1000)) << "closed and gone";

    ASSERT_TRUE(QTest::qWaitFor([&] { return hotKeyService->live.size() == 7; }, 2000));
    EXPECT_EQ(registeredKeys(), (std::vector<std::optional<Key>>{Key::z, Key::a, Key::h, Key::one,
                                                                 Key::two, Key::w, Key::t}));
    EXPECT_EQ(button("addButton")->text(), " Add");
    EXPECT_EQ(button("doneButton")->text(), " Done");

    // The new key works at once; the old one is gone.
    EXPECT_EQ(hotKeyService->press(KeyCombo(Key::a, controlOption)), noErr);
    EXPECT_FALSE(hotKeyService->press(KeyCombo(Key::d, controlOption)));
}

TEST_F(SettingsTest, ClosingRightAfterSaveStillRegistersTheNewKeys) {
    start();
    for (const bool byCancel : {true, false}) {
        SettingsVC* settings = openSettings();
        ASSERT_NE(settings, nullptr);
        pick(*settings, add, byCancel ? keyZ : keyA);
        QTest::mouseClick(settings->findChild<QPushButton*>("saveButton"), Qt::LeftButton);
        if (byCancel) {
            QTest::mouseClick(settings->findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
        } else {
            settings->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const Key expected = byCancel ? Key::z : Key::a;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return !registeredKeys().empty() && registeredKeys().front() == expected; },
            2000));
        EXPECT_EQ(button("addButton")->text(), byCancel ? " Add" : "Add");
    }
}

TEST_F(SettingsTest, CancelOrClosingLeavesEverythingAsItWas) {
    start();
    const auto registered = hotKeyService->live;
    for (const bool byCancel : {true, false}) {
        SettingsVC* settings = openSettings();
        ASSERT_NE(settings, nullptr);
        pick(*settings, add, keyZ);
        if (byCancel) {
            QTest::mouseClick(settings->findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
        } else {
            settings->close();
        }
        QTest::qWait(250);
        EXPECT_FALSE(QFile::exists(home.storeFile("keyIndexes.ints")));
        EXPECT_TRUE(hotKeyService->unregistered.empty());
        EXPECT_EQ(hotKeyService->live.size(), registered.size());
        EXPECT_EQ(button("addButton")->text(), "Add");
    }
    // The next opening starts again from the stored assignment.
    SettingsVC* settings = openSettings();
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->combo(add)->currentText(), "A");
    settings->close();
}

TEST_F(SettingsTest, AShortcutTheDesktopRefusedIsMarked) {
    // Another application holds Control-Alt-T.
    hotKeyService->onRegister = [this](const KeyCombo& combo, EventHotKeyID) {
        hotKeyService->refusing = combo.key() == Key::t;
    };
    start();
    EXPECT_FALSE(vc().isHotKeyLive(ShortcutAction::Tasks));
    EXPECT_TRUE(vc().isHotKeyLive(ShortcutAction::Add));
    EXPECT_EQ(button("allTasksButton")->text(), " Edit Tasks") << "the title is set as usual";
    SettingsVC* settings = openSettings();
    ASSERT_NE(settings, nullptr);
    EXPECT_TRUE(settings->refusedMark(allTasks)->isVisible());
    EXPECT_EQ(settings->refusedMark(allTasks)->text(), "in use by another application");
    for (int tag = 0; tag < 6; ++tag) {
        EXPECT_FALSE(settings->refusedMark(tag)->isVisible()) << tag;
    }
    settings->close();
}
