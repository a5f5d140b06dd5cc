#include "platform/LoginItem.h"

#include "tests/support/FileUtil.h"
#include "tests/support/TempConfigHome.h"

#include <gtest/gtest.h>

TEST(LoginItem, ExecArgumentsAreQuotedAsDesktopEntriesRequire) {
    EXPECT_EQ(LoginItem::execArgument("/usr/bin/quenby"), QStringLiteral("/usr/bin/quenby"));
    EXPECT_EQ(LoginItem::execArgument("/opt/My Apps/quenby"),
              QStringLiteral("\"/opt/My Apps/quenby\""));
    // Inside quotes ", `, $ and \ are escaped; then \ is escaped again for the file format.
    EXPECT_EQ(LoginItem::execArgument("/a$b/c\"d"), QStringLiteral("\"/a\\\\$b/c\\\\\"d\""));
    EXPECT_EQ(LoginItem::execArgument("/back\\slash"), QStringLiteral("\"/back\\\\\\\\slash\""));
    // % would start a field code.
    EXPECT_EQ(LoginItem::execArgument("/100%/quenby"), QStringLiteral("/100%%/quenby"));
    EXPECT_EQ(LoginItem::execArgument("/new\nline"), QStringLiteral("\"/new\\nline\""));
    EXPECT_EQ(LoginItem::execArgument(""), QStringLiteral("\"\""));
}

TEST(LoginItem, EntryIsTheApplicationsDesktopEntryStartingTheBinary) {
    const QByteArray text = LoginItem::entryText("/home/u/bin/quenby");
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
    EXPECT_EQ(text.count("Exec="), 1);
    EXPECT_TRUE(text.contains("\nExec=/home/u/bin/quenby\n"));
    EXPECT_TRUE(text.contains("\nName=Quenby\n"));
    EXPECT_TRUE(text.contains("\nType=Application\n"));
    EXPECT_TRUE(text.endsWith("X-GNOME-Autostart-enabled=true\n"));
}

TEST(LoginItem, EnableWritesAndDisableRemovesTheEntry) {
    TempConfigHome home;
    EXPECT_FALSE(LoginItem::isEnabled());
    // Disabling what is not there is no failure.
    EXPECT_FALSE(LoginItem::setEnabled(false, "/bin/quenby"));
    EXPECT_FALSE(LoginItem::setEnabled(true, "/bin/quenby"));
    EXPECT_TRUE(LoginItem::isEnabled());
    EXPECT_EQ(readFile(LoginItem::entryPath()), LoginItem::entryText("/bin/quenby"));
    EXPECT_FALSE(LoginItem::setEnabled(false, "/bin/quenby"));
    EXPECT_FALSE(LoginItem::isEnabled());

    ASSERT_TRUE(QDir(LoginItem::autostartDirectory()).removeRecursively());
    ASSERT_TRUE(writeFile(LoginItem::autostartDirectory(), "a file, not a folder"));
    const auto error = LoginItem::setEnabled(true, "/bin/quenby");
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->startsWith("cannot create"));
    EXPECT_FALSE(LoginItem::isEnabled());
}
