// Start at login, the menu and its actions.
#include "shell/AppDelegate.h"
#include "platform/LoginItem.h"
#include "shell/MainInterface.h"
#include "tests/support/FileUtil.h"
#include "tests/support/Printed.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempConfigHome.h"

#include <QAction>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString executable = QStringLiteral("/opt/Quenby Test/bin/quenby");
// The entry the delegate writes: the user asked for this binary (see LoginItem::launcherFor).
const LoginItem::Launcher launcher{executable, true};

class AppDelegateTest : public ::testing::Test {
protected:
    PreferenceStore store() const { return PreferenceStore::standard(); }
    // What the user sees of start at login: the menu's tick, the entry, the stored choice.
    std::tuple<bool, bool, std::optional<bool>> state(const AppDelegate& shown) const {
        return {shown.launchMenuItem()->isChecked(), LoginItem::isEnabled(),
                store().boolean("launchOnStartup")};
    }
    // A launch of a new delegate; what it printed.
    std::string launch() {
        delegate.emplace(executable);
        return printed([this] { delegate->applicationDidFinishLaunching(); });
    }

    TempConfigHome home;
    ScopedEnv thisBinary{LoginItem::thisBinaryVariable, "1"};
    std::optional<AppDelegate> delegate;
};

} // namespace

TEST_F(AppDelegateTest, FirstLaunchTurnsStartAtLoginOnOnceAndLaterOnesKeepTheStoredChoice) {
    launch();
    EXPECT_TRUE(delegate->launchMenuItem()->isCheckable());
    EXPECT_EQ(state(*delegate), std::tuple(true, true, std::optional(true)));
    EXPECT_EQ(printed([&] { delegate->launchMenuItem()->trigger(); }),
              "setting launch: false\nLaunch on Startup is OFF\n()\n");
    EXPECT_EQ(state(*delegate), std::tuple(false, false, std::optional(false)));
    delegate->launchMenuItem()->trigger();
    EXPECT_EQ(state(*delegate), std::tuple(true, true, std::optional(true)));

    // Applied once: the next launch registers nothing, and shows the entry is gone.
    QFile::remove(LoginItem::entryPath());
    EXPECT_EQ(launch(), "launch on startup false\n");
    EXPECT_EQ(state(*delegate), std::tuple(false, false, std::optional(true)));

    // Later launches show the entry and keep the stored choice: here the entry was written
    // but the choice could not be stored.
    ASSERT_FALSE(LoginItem::setEnabled(true, launcher));
    ASSERT_TRUE(store().setBool("launchOnStartup", false));
    launch();
    EXPECT_EQ(state(*delegate), std::tuple(true, true, std::optional(false)));

    // A mark that is there but unreadable was set: start at login, now off, stays off.
    ASSERT_FALSE(LoginItem::setEnabled(false, launcher));
    ASSERT_TRUE(writeFile(home.storeFile("startupSet.bool"), "\x01garbage"));
    launch();
    EXPECT_EQ(state(*delegate), std::tuple(false, false, std::optional(false)));

    // A choice without the first-launch mark is overridden by the default.
    QFile::remove(home.storeFile("startupSet.bool"));
    launch();
    EXPECT_EQ(state(*delegate), std::tuple(true, true, std::optional(true)));
}

TEST_F(AppDelegateTest, AnAutostartFolderThatCannotBeWrittenIsReportedNotFatal) {
    // A file where the folder should be: no entry can be made, whoever runs the test.
    ASSERT_TRUE(writeFile(LoginItem::autostartDirectory(), "not a folder"));
    const std::string out = launch();
    EXPECT_NE(out.find("Start at login could not be enabled: cannot create"), std::string::npos)
        << out;
    EXPECT_EQ(out.find("()"), std::string::npos);
    EXPECT_EQ(store().boolean("startupSet"), true);
    EXPECT_EQ(state(*delegate), std::tuple(false, false, std::optional(false)));
    delegate->launchMenuItem()->trigger();
    EXPECT_EQ(state(*delegate), std::tuple(false, false, std::optional(false)));
    EXPECT_FALSE(delegate->launchOnStartup());
}

TEST_F(AppDelegateTest, MenuActionsReachThePanel) {
    AppDelegate alone(executable);
    QStringList titles;
    for (const QAction* a : alone.mainMenu().actions()) {
        titles.append(a->isSeparator() ? QStringLiteral("-") : a->text());
    }
    EXPECT_EQ(titles,
              (QStringList{"Start at Login", "Edit Tasks…", "Unsnooze All", "-", "Quit Quenby"}));
    EXPECT_EQ(printed([&] {
                  alone.exportAction();
                  alone.unsnoozeAction();
              }),
              "Tasks\nunsnooze\n");

    MainInterface ui({}, systemNow, executable);
    int opened = 0;
    ui.windows().registerWindow("alltasks", [&opened] {
        ++opened;
        return nullptr;
    });
    ui.launch();
    ui.delegate().mainMenu().actions()[1]->trigger();
    EXPECT_EQ(opened, 1);
    // Closing the panel from the window manager hides the application; it keeps running.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&ui.panelWindow()));
    ui.panelWindow().close();
    EXPECT_TRUE(ui.viewController().activation().isHidden());
    EXPECT_FALSE(ui.panelWindow().isVisible());
}
