// Starting the real binary: the start-at-login entry it writes (a second launch while it runs:
// ChannelTorture).
#include "platform/LoginItem.h"
#include "tests/support/QuenbyProcess.h"
#include "tests/support/ScopedEnv.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// What the start-at-login entry starts with quenby installed on PATH: this build tree's binary
// only when asked for (by its real path), else the installed one, which a start also puts in an
// older entry made for a build tree. (Without one installed: LoginItemTest.)
TEST(Application, StartAtLoginStartsTheInstalledBinary) {
    const QString binary = QStringLiteral(QUENBY_BINARY);
    const QTemporaryDir bin;
    const QString installed = bin.filePath("quenby");
    ASSERT_TRUE(QFile::link(QFileInfo(binary).absoluteFilePath(), installed));
    const QString absolute = QFileInfo(binary).canonicalFilePath();
    const QString entryOf = "/autostart/app.quenby.Quenby.AutoLauncher.desktop";
    const QByteArray olderEntry =
        "[Desktop Entry]\nType=Application\nName=Quenby\nExec=" + absolute.toUtf8() +
        "\nX-GNOME-Autostart-enabled=true\n";
    // The case, the variable that asks for this binary, the entry there before, what it starts.
    const std::tuple<const char*, std::optional<QByteArray>, QByteArray, QString> cases[] = {
        {"this binary asked for", "1", {}, absolute},
        {"installed, over an older entry", std::nullopt, olderEntry, installed}};
    const ScopedEnv path("PATH", bin.path().toUtf8() + ":/usr/bin:/bin");
    for (const auto& [what, thisBinary, before, starts] : cases) {
        const QTemporaryDir config;
        if (!before.isEmpty()) {
            ASSERT_TRUE(writeFile(config.path() + entryOf, before));
            ASSERT_TRUE(writeFile(storePath(config.path(), "startupSet.bool"), "true"));
        }
        const ScopedEnv asked(LoginItem::thisBinaryVariable, thisBinary);
        QuenbyProcess app(config.path());
        ASSERT_TRUE(app.waitForLine("launch on startup true")) << what << app.output.constData();
        const QByteArray entry = readFile(config.path() + entryOf);
        EXPECT_TRUE(entry.contains("\nExec=" + LoginItem::execArgument(starts).toUtf8() +
                                   "\nTryExec=" + starts.toUtf8() + "\n"))
            << what << "\n"
            << entry.constData();
        EXPECT_EQ(app.output.contains("Start at login now starts " + starts.toUtf8() + "\n"),
                  !before.isEmpty())
            << what << app.output.constData();
    }
}
