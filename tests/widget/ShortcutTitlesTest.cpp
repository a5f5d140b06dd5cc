#include "PanelFixture.h"
#include "panel/TitleButton.h"
#include "support/NamedColors.h"

namespace {

const ModifierFlags controlOption = ModifierFlags::control | ModifierFlags::option;

QColor foreground(const AttributedString& title, qsizetype index) {
    return title.formatAt(index).foreground().color();
}

bool emphasised(const AttributedString& title, qsizetype index) {
    const QTextCharFormat f = title.formatAt(index);
    return f.fontWeight() == QFont::Bold && f.fontPointSize() == 11 &&
           f.underlineStyle() == QTextCharFormat::SingleUnderline;
}

} // namespace

class ShortcutTest : public PanelTest {
protected:
    const AttributedString& title(const char* name) const {
        const auto* b = qobject_cast<TitleButton*>(button(name));
        EXPECT_TRUE(b && b->attributedTitle()) << name;
        return *b->attributedTitle();
    }
    std::vector<std::optional<Key>> registeredKeys() const {
        std::vector<std::optional<Key>> keys;
        for (const auto& r : hotKeyService->live) {
            EXPECT_EQ(r.combo.modifiers(), controlOption);
            keys.push_back(r.combo.key());
        }
        return keys;
    }
    const QColor shortcut = NamedColors::color("shortcut").value();
    const QColor otherText = NamedColors::color("otherText").value();
};

TEST_F(ShortcutTest, DefaultKeysAreRegisteredWithControlOptionAndNamedInTheTitles) {
    start();
    EXPECT_EQ(registeredKeys(), (std::vector<std::optional<Key>>{Key::a, Key::d, Key::h, Key::one,
                                                                 Key::two, Key::w, Key::t}));
    EXPECT_EQ(hotKeyService->live.front().combo.carbonModifiers, 0x1800u);

    const std::pair<const char*, const char*> titles[] = {
        {"addButton", "Add"},      {"doneButton", "Done"},    {"hourButton", "Hour"},
        {"oneDayButton", "1 Day"}, {"twoDayButton", "2 Day"}, {"weekButton", "Week"}};
    for (const auto& [name, text] : titles) {
        const AttributedString& t = title(name);
        EXPECT_EQ(t.string, QString::fromLatin1(text));
        // The first character keeps the shortcut colour; the rest take the other colour.
        EXPECT_TRUE(emphasised(t, 0)) << name;
        EXPECT_EQ(foreground(t, 0), shortcut) << name;
        EXPECT_EQ(t.formatAt(0).underlineColor(), shortcut) << name;
        EXPECT_FALSE(emphasised(t, 1)) << name;
        EXPECT_EQ(foreground(t, 1), otherText) << name;
        EXPECT_EQ(button(name)->text(), t.string);
    }

    // " Edit Tasks": the T is bold and underlined in the shortcut colour, but its text
    // colour is the other colour, as is everything after the leading space.
    const AttributedString& tasks = title("allTasksButton");
    EXPECT_EQ(tasks.string, " Edit Tasks");
    EXPECT_FALSE(emphasised(tasks, 0));
    EXPECT_FALSE(tasks.formatAt(0).hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_TRUE(emphasised(tasks, 6));
    EXPECT_EQ(tasks.formatAt(6).underlineColor(), shortcut);
    EXPECT_EQ(foreground(tasks, 6), otherText);
    for (qsizetype i = 1; i < tasks.string.size(); ++i) {
        EXPECT_EQ(i == 6, emphasised(tasks, i)) << i;
        EXPECT_EQ(foreground(tasks, i), otherText) << i;
    }

    const AttributedString& unsnooze = title("unsnoozeButton");
    EXPECT_EQ(unsnooze.string, "Unsnooze");
    EXPECT_TRUE(emphasised(unsnooze, 0));
    for (const char* name :
         {"quenbyButton", "helpButton", "settingsButton", "hideButton", "quitButton"}) {
        const AttributedString& t = title(name);
        EXPECT_TRUE(t.string.startsWith(u' ')) << name;
        EXPECT_TRUE(emphasised(t, 0)) << name;
        EXPECT_FALSE(emphasised(t, 1)) << name;
        EXPECT_EQ(foreground(t, 1), otherText) << name;
    }
}

TEST_F(ShortcutTest, AChangedKeyIsRegisteredAndNoLongerNamedInTheTitle) {
    DBManager::saveKeys({1, 3, 7, 27, 28, 22, 19}); // B adds
    start();
    EXPECT_EQ(registeredKeys().front(), Key::b);
    const AttributedString& add = title("addButton");
    EXPECT_EQ(add.string, " Add");
    EXPECT_TRUE(emphasised(add, 0));
    EXPECT_FALSE(emphasised(add, 1));
    EXPECT_EQ(foreground(add, 1), otherText);
    EXPECT_EQ(title("doneButton").string, "Done");

    DBManager::saveKeys({0, 4, 7, 27, 28, 22, 20}); // E marks done, U opens the list
    vc().resetKeys();
    ASSERT_TRUE(QTest::qWaitFor([&] { return hotKeyService->live.size() == 7; }, 2000));
    EXPECT_EQ(title("addButton").string, "Add");
    EXPECT_EQ(title("doneButton").string, " Done");
    EXPECT_EQ(title("allTasksButton").string, " Edit Tasks");
    EXPECT_FALSE(emphasised(title("allTasksButton"), 6));
    EXPECT_TRUE(emphasised(title("allTasksButton"), 0));
}

TEST_F(ShortcutTest, PressedShortcutsRunTheirActions) {
    DBManager::saveTaskList({makeTask("first", startTime - 10), makeTask("second", startTime - 5),
                             makeTask("third", startTime - 1)});
    start();
    focus->active = 77;
    ASSERT_EQ(hotKeyService->press(KeyCombo(Key::d, controlOption)), noErr);
    std::vector<Task> stored = DBManager::getTaskList();
    EXPECT_TRUE(stored[0].isDone);
    EXPECT_EQ(focus->activated, std::vector<FocusService::WindowId>{77});

    ASSERT_EQ(hotKeyService->press(KeyCombo(Key::h, controlOption)), noErr);
    stored = DBManager::getTaskList();
    EXPECT_EQ(stored[1].snoozedUntil, now.addingSeconds(3600));
    ASSERT_EQ(hotKeyService->press(KeyCombo(Key::w, controlOption)), noErr);
    EXPECT_EQ(DBManager::getTaskList()[2].snoozedUntil, now.addingSeconds(604800));

    ASSERT_EQ(hotKeyService->press(KeyCombo(Key::a, controlOption)), noErr);
    EXPECT_TRUE(vc().addMode());
    // A key-up has no handler.
    EXPECT_EQ(hotKeyService->release(hotKeyService->live.front().id.id), eventNotHandledErr);
}

TEST_F(ShortcutTest, ResetDropsEveryKeyBeforeRegisteringAgain) {
    start();
    const auto firstHandles = hotKeyService->live;
    vc().resetKeys();
    EXPECT_TRUE(hotKeyService->live.empty());
    for (const ShortcutActionInfo& info : shortcutActions) {
        EXPECT_EQ(vc().hotKey(info.action), nullptr);
        EXPECT_FALSE(vc().isHotKeyLive(info.action));
    }
    // Dropped in action order: A, D, H, 1, 2, W, T.
    std::vector<HotKeyService::Handle> dropped;
    for (const auto& registration : firstHandles) {
        dropped.push_back(registration.handle);
    }
    EXPECT_EQ(hotKeyService->unregistered, dropped);
    // A press during the gap finds nothing.
    EXPECT_FALSE(hotKeyService->press(KeyCombo(Key::d, controlOption)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return hotKeyService->live.size() == 7; }, 2000));
    EXPECT_EQ(hotKeyService->unregistered.size(), shortcutActionCount);
    EXPECT_GT(hotKeyService->live.front().id.id, firstHandles.back().id.id) << "ids are not reused";
    EXPECT_TRUE(vc().isHotKeyLive(ShortcutAction::Add));
}
