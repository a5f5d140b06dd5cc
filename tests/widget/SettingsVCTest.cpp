// The global shortcuts: their registration, the titles naming their keys, and the settings
// window that assigns them.
#include "panel/SettingsVC.h"
#include "PanelFixture.h"
#include "panel/TitleButton.h"
#include "ui/NamedColors.h"

#include <QComboBox>
#include <QLabel>

namespace {

const ModifierFlags controlOption = ModifierFlags::control | ModifierFlags::option;
constexpr int add = 0, done = 1, hour = 2, allTasks = 6;
constexpr int keyA = 0, keyD = 3, keyU = 20, keyZ = 25;

using Keys = std::vector<std::optional<Key>>;

} // namespace

class ShortcutTest : public PanelTest {
protected:
    // The title of the button is `text`, bold and underlined (in the shortcut colour) only at
    // `emphasis`. The first character keeps the emphasis's colour; the rest take the other colour.
    void expectTitle(const char* name, const QString& text, qsizetype emphasis) const {
        SCOPED_TRACE(name);
        const auto* b = qobject_cast<TitleButton*>(button(name));
        ASSERT_TRUE(b && b->attributedTitle());
        const AttributedString& title = *b->attributedTitle();
        EXPECT_EQ(std::pair(title.string, b->text()), std::pair(text, text));
        const QColor first = emphasis == 0 ? shortcut : QColor();
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QTextCharFormat f = title.formatAt(i);
            const bool emphasised = f.fontWeight() == QFont::Bold && f.fontPointSize() == 11 &&
                                    f.underlineStyle() == QTextCharFormat::SingleUnderline;
            const QColor colour =
                f.hasProperty(QTextFormat::ForegroundBrush) ? f.foreground().color() : QColor();
            EXPECT_EQ(std::pair(emphasised, colour),
                      std::pair(i == emphasis, i > 0 ? otherText : first))
                << i;
        }
        EXPECT_EQ(title.formatAt(emphasis).underlineColor(), shortcut);
    }

    Keys registeredKeys() const {
        Keys keys;
        for (const auto& r : hotKeyService->live) {
            EXPECT_EQ(r.combo.modifiers(), controlOption);
            keys.push_back(r.combo.key());
        }
        return keys;
    }

    // Opens the settings window from the panel, as its button does.
    SettingsVC* openSettings() {
        QTest::mouseClick(button("settingsButton"), Qt::LeftButton);
        return openWindow<SettingsVC>();
    }

    // A pick by the user in the drop-down list of `action`; returns what was printed.
    static std::string pick(SettingsVC& settings, int action, int position) {
        QComboBox* box = settings.combo(action);
        return printed([&] {
            box->setCurrentIndex(position);
            emit box->activated(position);
        });
    }
    static void click(SettingsVC& settings, const char* name) {
        QTest::mouseClick(settings.findChild<QPushButton*>(name), Qt::LeftButton);
    }

    const QColor shortcut = NamedColors::color("shortcut").value();
    const QColor otherText = NamedColors::color("otherText").value();
};

// The default keys with Control-Alt, named in the titles; then changed in the settings.
TEST_F(ShortcutTest, DefaultKeysAreNamedAndAnotherActionsKeyIsRevertedSwappedAndSaved) {
    start();
    EXPECT_EQ(registeredKeys(), (Keys{Key::a, Key::d, Key::h, Key::one, Key::two, Key::w, Key::t}));
    EXPECT_EQ(hotKeyService->live.front().combo.carbonModifiers, 0x1800u);
    const std::tuple<const char*, const char*, qsizetype> titles[] = {
        {"addButton", "Add", 0},
        {"doneButton", "Done", 0},
        {"hourButton", "Hour", 0},
        {"oneDayButton", "1 Day", 0},
        {"twoDayButton", "2 Day", 0},
        {"weekButton", "Week", 0},
        {"allTasksButton", " Edit Tasks", 6},
        {"unsnoozeButton", "Unsnooze", 0},
        {"quenbyButton", " Quenby", 0},
        {"helpButton", " Help", 0},
        {"settingsButton", " Shortcuts", 0},
        {"hideButton", " Hide", 0},
        {"quitButton", " Quit", 0}};
    for (const auto& [name, text, emphasis] : titles) {
        expectTitle(name, text, emphasis);
    }
    const auto before = hotKeyService->live;
    SettingsVC* settings = openSettings();
    ASSERT_NE(settings, nullptr);
    const auto* section = settings->findChild<QWidget*>("shortcutsBox");
    const int room = section->sizeHint().height();
    const QPoint below = settings->findChild<QPushButton*>("saveButton")->pos();

    // H is the hour snooze's: refused, and said in the window on a line kept for it, so
    // nothing moves.
    EXPECT_EQ(pick(*settings, add, 7),
              "comboBoxSelectionDidChange: 0, value: H\nH  already in use\n");
    EXPECT_EQ(settings->combo(add)->currentText(), "A");
    const auto* taken = settings->findChild<QLabel*>("takenLabel");
    EXPECT_EQ(std::pair(taken->isVisible(), taken->text()),
              std::pair(true, QString("H is used by Snooze for an hour")));
    EXPECT_EQ(section->sizeHint().height(), room);
    QCoreApplication::processEvents();
    EXPECT_EQ(settings->findChild<QPushButton*>("saveButton")->pos(), below);
    EXPECT_EQ(settings->keyIndexes()[add], keyA);

    // Its own key again is accepted and changes nothing.
    EXPECT_EQ(pick(*settings, hour, 7), "comboBoxSelectionDidChange: 2, value: H\n");
    EXPECT_EQ(settings->keyIndexes(), DBManager::defaultKeyIndexes());
    EXPECT_FALSE(taken->isVisible());

    // A and D change places: one of them has to go to a free key first.
    pick(*settings, add, keyZ);
    EXPECT_EQ(pick(*settings, done, keyA), "comboBoxSelectionDidChange: 1, value: A\n");
    pick(*settings, add, keyD);
    EXPECT_EQ(settings->keyIndexes(), (std::vector<std::int64_t>{keyD, keyA, 7, 27, 28, 22, 19}));
    EXPECT_EQ(settings->currentKeys()[add], Key::d);

    // A pick without a selected entry (text typed into the box) takes no key.
    EXPECT_EQ(pick(*settings, hour, -1), "");
    EXPECT_EQ(settings->keyIndexes()[hour], 7);

    // Saved: stored, then all seven dropped and registered again a moment later.
    pick(*settings, add, keyZ);
    pick(*settings, allTasks, keyU);
    const int registrationsBefore = hotKeyService->registerCalls;
    const QPointer<SettingsVC> closing(settings);

    click(*settings, "saveButton");
    EXPECT_EQ(hotKeyService->live.size(), 7u) << "nothing changes before the reset";

    // The reset drops all seven and closes the window; nothing is registered in the gap and a
    // press then finds nothing.
    ASSERT_TRUE(QTest::qWaitFor([&] { return hotKeyService->live.empty(); }, 10000));
    EXPECT_EQ(hotKeyService->registerCalls, registrationsBefore);
    for (const ShortcutActionInfo& info : shortcutActions) {
        EXPECT_TRUE(!vc().shortcuts().hotKey(info.action) && !vc().shortcuts().isLive(info.action));
    }
    EXPECT_FALSE(hotKeyService->press(KeyCombo(Key::d, controlOption)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return closing.isNull(); }, 10000)) << "closed and gone";

    ASSERT_TRUE(QTest::qWaitFor([&] { return hotKeyService->live.size() == 7; }, 10000));
    EXPECT_EQ(registeredKeys(), (Keys{Key::z, Key::a, Key::h, Key::one, Key::two, Key::w, Key::u}));
    // Each dropped once, in action order. (New ids: the hot-key controller's tests.)
    std::vector<HotKeyService::Handle> dropped;
    std::ranges::transform(before, std::back_inserter(dropped), [](auto& r) { return r.handle; });
    EXPECT_EQ(hotKeyService->unregistered, dropped);
    expectTitle("addButton", " Add", 0);
    expectTitle("doneButton", " Done", 0);
    expectTitle("allTasksButton", " Edit Tasks", 0);
}

TEST_F(ShortcutTest, CancelOrClosingLeavesEverythingAsItWasUnlessSavedFirst) {
    start();
    const auto registered = hotKeyService->live;
    // Cancel, Escape, and the window manager's close.
    const std::function<void(SettingsVC&)> leaves[] = {
        [](SettingsVC& s) { click(s, "cancelButton"); },
        [](SettingsVC& s) { QTest::keyClick(&s, Qt::Key_Escape); },
        [](SettingsVC& s) { s.close(); }};
    for (const auto& leave : leaves) {
        SettingsVC* settings = openSettings();
        ASSERT_NE(settings, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(settings));
        pick(*settings, add, keyZ);
        const QPointer<SettingsVC> closing(settings);
        leave(*settings);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(closing.isNull()) << "closed and gone";
        QTest::qWait(250);
        EXPECT_EQ(std::tuple(QFile::exists(home.storeFile("keyIndexes.ints")),
                             hotKeyService->unregistered.size(), hotKeyService->live.size(),
                             button("addButton")->text()),
                  std::tuple(false, 0u, registered.size(), QString("Add")));
    }
    // The next opening starts again from the stored assignment.
    SettingsVC* settings = openSettings();
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->combo(add)->currentText(), "A");
    settings->close();

    // Closing right after Save still registers the new keys.
    for (const bool byCancel : {true, false}) {
        settings = openSettings();
        ASSERT_NE(settings, nullptr);
        pick(*settings, add, byCancel ? keyZ : keyA);
        click(*settings, "saveButton");
        byCancel ? click(*settings, "cancelButton") : void(settings->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const Key expected = byCancel ? Key::z : Key::a;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return !registeredKeys().empty() && registeredKeys().front() == expected; },
            10000));
        EXPECT_EQ(button("addButton")->text(), byCancel ? " Add" : "Add");
    }
}

// Another application holds Control-Alt-T: said on the panel once, marked in the settings,
// which list the keys and show the stored assignment. (The titles of other keys: Save.)
TEST_F(ShortcutTest, AShortcutTheDesktopRefusedIsNamedOnThePanelOnceAndMarkedInTheSettings) {
    hotKeyService->onRegister = [this](const KeyCombo& combo, EventHotKeyID) {
        hotKeyService->refusing = combo.key() == Key::t;
    };
    DBManager::saveKeys({1, 3, 7, 27, 28, 22, 19}); // B adds
    start();
    EXPECT_EQ(registeredKeys().front(), Key::b);
    // The title is set as usual.
    EXPECT_EQ(std::tuple(vc().shortcuts().isLive(ShortcutAction::Tasks),
                         vc().shortcuts().isLive(ShortcutAction::Add),
                         button("allTasksButton")->text()),
              std::tuple(false, true, QString(" Edit Tasks")));
    QPushButton* notice = button("noticeButton");
    ASSERT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->text(), "Ctrl+Alt+T (Edit all tasks) is taken by another application. "
                              "Change…");
    screenshot(window(), SCREENSHOT_DIR "/panel-refused-shortcut.png");

    QTest::mouseClick(notice, Qt::LeftButton);
    SettingsVC* settings = openWindow<SettingsVC>();
    ASSERT_NE(settings, nullptr);
    EXPECT_FALSE(notice->isVisible());
    EXPECT_EQ(settings->refusedMark(allTasks)->text(), "in use by another application");
    for (int tag = 0; tag < 7; ++tag) {
        const QComboBox* box = settings->combo(tag);
        EXPECT_EQ(std::tuple(box->count(), box->itemText(0), box->itemText(25), box->itemText(26),
                             box->itemText(35), settings->refusedMark(tag)->isVisible()),
                  std::tuple(36, QString("A"), QString("Z"), QString("0"), QString("9"),
                             tag == allTasks));
    }
    EXPECT_EQ(
        std::tuple(settings->combo(add)->currentText(), settings->combo(allTasks)->currentText()),
        std::tuple(QString("B"), QString("T")));
    EXPECT_EQ(settings->currentKeys(),
              (std::vector<Key>{Key::b, Key::d, Key::h, Key::one, Key::two, Key::w, Key::t}));
    settings->close();
    // Followed once, it stays away even when the key is still refused.
    vc().shortcuts().setup();
    EXPECT_FALSE(notice->isVisible());
}
