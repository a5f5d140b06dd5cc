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

TEST(LoginItem, TheEntryIsADesktopEntryWithTryExecAndItsExecQuotedAsTheyRequire) {
    // Inside quotes ", `, $ and \ are escaped, then \ again for the file format; % would start
    // a field code.
    const std::pair<const char*, const char*> cases[] = {
        {"/usr/bin/quenby", "/usr/bin/quenby"},
        {"/opt/My Apps/quenby", "\"/opt/My Apps/quenby\""},
        {"/a$b/c\"d", "\"/a\\\\$b/c\\\\\"d\""},
        {"/back\\slash", "\"/back\\\\\\\\slash\""},
        {"/100%/quenby", "/100%%/quenby"},
        {"/new\nline", "\"/new\\nline\""},
        {"", "\"\""}};
    for (const auto& [path, argument] : cases) {
        EXPECT_EQ(LoginItem::execArgument(path), argument) << path;
    }

    // The entry is the application's desktop entry, with TryExec.
    const QByteArray text = LoginItem::entryText({"/opt/My Apps/quenby", false});
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n") && text.count("Exec=") == 2 &&
                text.contains("\nExec=\"/opt/My Apps/quenby\"\nTryExec=/opt/My Apps/quenby\n") &&
                text.contains("\nName=Quenby\n") && text.contains("\nType=Application\n") &&
                !text.contains("X-Quenby-Chosen-Binary") &&
                text.endsWith("X-GNOME-Autostart-enabled=true\n"))
        << text.constData();
    EXPECT_TRUE(
        LoginItem::entryText({buildTree, true}).contains("\nX-Quenby-Chosen-Binary=true\n"));
}

// The installed binary on PATH, never the build tree's unless asked for.
TEST(LoginItem, TheEntryStartsTheInstalledBinaryUnlessThisOneIsAskedFor) {
    for (const bool installed : {false, true}) {
        const Installation installation(installed);
        const QString onPath = installed ? installation.program() : QStringLiteral("quenby");
        using Case = std::pair<std::optional<QByteArray>, LoginItem::Launcher>;
        for (const auto& [variable, expected] :
             {Case{std::nullopt, {onPath, false}}, Case{"0", {onPath, false}},
              Case{"1", {buildTree, true}}}) {
            const ScopedEnv asked(LoginItem::thisBinaryVariable, variable);
            EXPECT_EQ(LoginItem::launcherFor(buildTree), expected)
                << installed << " " << variable.value_or("unset").constData();
        }
    }
}

// Which entries a start puts right, and that only their Exec and TryExec lines change.
// Disabling an entry that is not there is no failure. (Writing the entry, removing it and an
// autostart folder that cannot be made: the delegate's tests, through its menu item.)
TEST(LoginItem, StaleEntriesStartTheInstalledBinaryAndKeepTheirOtherLines) {
    TempConfigHome home;
    const Installation installation(true);
    const LoginItem::Launcher installed{installation.program(), false};
    EXPECT_FALSE(LoginItem::setEnabled(false, installed) || LoginItem::isEnabled());
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
