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
    const auto trigger = [](ShortcutAction a) {
        return a == ShortcutAction::Done ? "Hyper+D" : QString();
    };
    const DesktopShortcuts desktop{trigger, [&configured] { ++configured; }};
    SettingsVC settings([](ShortcutAction action) { return action != ShortcutAction::Week; },
                        nullptr, desktop);
    settings.show();
    EXPECT_EQ(
        std::tuple(settings.refusedMark(done)->text(), settings.refusedMark(done)->isVisible(),
                   settings.refusedMark(week)->text(), settings.refusedMark(week)->isVisible(),
                   settings.refusedMark(add)->isVisible()),
        std::tuple(QString("the desktop: Hyper+D"), true, QString("not bound by the desktop"), true,
                   false));
    auto* configure = settings.findChild<QPushButton*>("configureButton");
    ASSERT_TRUE(configure && configure->isVisible());
    configure->click();
    EXPECT_EQ(configured, 1);

    // Without them the window is as before.
    SettingsVC plain([](ShortcutAction) { return true; }, nullptr);
    plain.show();
    EXPECT_FALSE(plain.refusedMark(done)->isVisible() ||
                 plain.findChild<QPushButton*>("configureButton")->isVisible());
}

} // namespace
