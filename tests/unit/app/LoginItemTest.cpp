#include "platform/LoginItem.h"

#include "tests/support/FileUtil.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempConfigHome.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A folder with an executable `quenby`, as an installation puts one, and PATH set to it
// alone, or to a folder without one.
class Installation {
public:
    explicit Installation(bool installed) {
        if (installed) {
            EXPECT_TRUE(writeFile(program(), "#!/bin/sh\n"));
            EXPECT_TRUE(QFile::setPermissions(program(), QFile::ReadOwner | QFile::ExeOwner));
        }
    }
    QString program() const { return dir_.filePath("quenby"); }

private:
    QTemporaryDir dir_;
    ScopedEnv path_{"PATH", dir_.path().toUtf8()};
};

const QString buildTree = QStringLiteral("/home/u/src/quenby/build/app/quenby");

} // namespace

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

// The installed binary on PATH, never the build tree's unless asked for.
TEST(LoginItem, TheEntryStartsTheInstalledBinaryUnlessThisOneIsAskedFor) {
    for (const bool installed : {false, true}) {
        const Installation installation(installed);
        const QString onPath = installed ? installation.program() : QStringLiteral("quenby");
        for (const auto& [variable, expected] :
             {std::pair<std::optional<QByteArray>, LoginItem::Launcher>{std::nullopt,
                                                                        {onPath, false}},
              {"0", {onPath, false}},
              {"1", {buildTree, true}}}) {
            const ScopedEnv asked(LoginItem::thisBinaryVariable, variable);
            EXPECT_EQ(LoginItem::launcherFor(buildTree), expected)
                << installed << " " << variable.value_or("unset").constData();
        }
    }
}

TEST(LoginItem, EntryIsTheApplicationsDesktopEntryWithTryExec) {
    const QByteArray text = LoginItem::entryText({"/opt/My Apps/quenby", false});
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
    EXPECT_EQ(text.count("Exec="), 2);
    EXPECT_TRUE(text.contains("\nExec=\"/opt/My Apps/quenby\"\nTryExec=/opt/My Apps/quenby\n"));
    EXPECT_TRUE(text.contains("\nName=Quenby\n"));
    EXPECT_TRUE(text.contains("\nType=Application\n"));
    EXPECT_FALSE(text.contains("X-Quenby-Chosen-Binary"));
    EXPECT_TRUE(text.endsWith("X-GNOME-Autostart-enabled=true\n"));
    EXPECT_TRUE(
        LoginItem::entryText({buildTree, true}).contains("\nX-Quenby-Chosen-Binary=true\n"));
}

TEST(LoginItem, EnableWritesAndDisableRemovesTheEntry) {
    TempConfigHome home;
    const LoginItem::Launcher launcher{"/bin/quenby", false};
    EXPECT_FALSE(LoginItem::isEnabled());
    // Disabling what is not there is no failure.
    EXPECT_FALSE(LoginItem::setEnabled(false, launcher));
    EXPECT_FALSE(LoginItem::setEnabled(true, launcher));
    EXPECT_TRUE(LoginItem::isEnabled());
    EXPECT_EQ(readFile(LoginItem::entryPath()), LoginItem::entryText(launcher));
    EXPECT_FALSE(LoginItem::setEnabled(false, launcher));
    EXPECT_FALSE(LoginItem::isEnabled());

    ASSERT_TRUE(QDir(LoginItem::autostartDirectory()).removeRecursively());
    ASSERT_TRUE(writeFile(LoginItem::autostartDirectory(), "a file, not a folder"));
    const auto error = LoginItem::setEnabled(true, launcher);
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->startsWith("cannot create"));
    EXPECT_FALSE(LoginItem::isEnabled());
}

// Which entries a start puts right, and that only their Exec and TryExec lines change.
TEST(LoginItem, StaleEntriesStartTheInstalledBinaryAndKeepTheirOtherLines) {
    TempConfigHome home;
    const Installation installation(true);
    const LoginItem::Launcher installed{installation.program(), false};
    const QString stillThere = QStringLiteral("/bin/sh");
    const struct {
        const char* what;
        QByteArray entry;
        LoginItem::Launcher launcher;
        bool stale;
    } cases[] = {
        {"an older version's, for a build tree",
         "[Desktop Entry]\nType=Application\nExec=" + buildTree.toUtf8() + "\nHidden=true\n",
         installed, true},
        {"already the installed one", LoginItem::entryText(installed), installed, false},
        {"a binary the user chose, still there", LoginItem::entryText({stillThere, true}),
         installed, false},
        {"a binary the user chose, gone", LoginItem::entryText({buildTree, true}), installed, true},
        {"another binary nobody chose", LoginItem::entryText({stillThere, false}), installed, true},
        {"this binary, asked for now", LoginItem::entryText(installed), {buildTree, true}, true}};
    for (const auto& c : cases) {
        ASSERT_TRUE(writeFile(LoginItem::entryPath(), c.entry));
        EXPECT_EQ(LoginItem::isStale(c.launcher), c.stale) << c.what;
        if (!c.stale) {
            continue;
        }
        EXPECT_FALSE(LoginItem::correct(c.launcher)) << c.what;
        const QByteArray corrected = readFile(LoginItem::entryPath());
        EXPECT_FALSE(LoginItem::isStale(c.launcher)) << c.what;
        EXPECT_TRUE(
            corrected.contains("\nExec=" + LoginItem::execArgument(c.launcher.program).toUtf8() +
                               "\nTryExec=" + c.launcher.program.toUtf8() + "\n"))
            << c.what << "\n"
            << corrected.constData();
        EXPECT_EQ(corrected.count("Exec="), 2) << c.what;
        EXPECT_EQ(corrected.contains("Hidden=true"), c.entry.contains("Hidden=true")) << c.what;
    }
    QFile::remove(LoginItem::entryPath());
    EXPECT_FALSE(LoginItem::isStale(installed)) << "no entry, nothing to correct";
}
