// The settings window where the desktop binds the shortcuts itself: its words for the keys,
// the unbound ones marked, and its own settings page.
#include "panel/SettingsVC.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

constexpr int add = 0, done = 1, week = 5;

TEST(DesktopShortcuts, ShowTheDesktopsKeysMarkTheUnboundAndOpenItsSettings) {
    int configured = 0;
    const DesktopShortcuts desktop{[](ShortcutAction action) {
                                       return action == ShortcutAction::Done
                                                  ? QStringLiteral("Hyper+D")
                                                  : QString();
                                   },
                                   [&configured] { ++configured; }};
    SettingsVC settings([](ShortcutAction action) { return action != ShortcutAction::Week; },
                        nullptr, desktop);
    settings.show();
    EXPECT_EQ(settings.refusedMark(done)->text(), "the desktop: Hyper+D");
    EXPECT_TRUE(settings.refusedMark(done)->isVisible());
    EXPECT_EQ(settings.refusedMark(week)->text(), "not bound by the desktop");
    EXPECT_TRUE(settings.refusedMark(week)->isVisible());
    EXPECT_FALSE(settings.refusedMark(add)->isVisible());
    auto* configure = settings.findChild<QPushButton*>("configureButton");
    ASSERT_TRUE(configure && configure->isVisible());
    configure->click();
    EXPECT_EQ(configured, 1);
}

TEST(DesktopShortcuts, WithoutThemTheWindowIsAsBefore) {
    SettingsVC settings([](ShortcutAction) { return true; }, nullptr);
    settings.show();
    EXPECT_FALSE(settings.refusedMark(done)->isVisible());
    EXPECT_FALSE(settings.findChild<QPushButton*>("configureButton")->isVisible());
}

} // namespace
