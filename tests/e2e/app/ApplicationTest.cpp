// Starting the real binary: the start-at-login entry it writes, and a second launch while it runs.
#include "platform/LoginItem.h"
#include "tests/support/QuenbyProcess.h"
#include "tests/support/ScopedEnv.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

namespace {

const QString binary = QStringLiteral(QUENBY_BINARY);

// Every file below `dir` with its bytes and modification time.
std::map<QString, std::pair<QByteArray, qint64>> snapshot(const QString& dir) {
    std::map<QString, std::pair<QByteArray, qint64>> files;
    QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files[path] = {readFile(path), QFileInfo(path).lastModified().toMSecsSinceEpoch()};
    }
    return files;
}

} // namespace

// What the start-at-login entry starts: the installed binary on PATH, or plain "quenby" that
// TryExec keeps idle until one is installed; this build tree's binary only when asked for. And
// a start with quenby installed puts right an entry for a build tree. (Started through a link
// or not, the binary knows itself by its real path.)
TEST(Application, StartAtLoginStartsTheInstalledBinary) {
    const QTemporaryDir bin;
    const QString installed = bin.filePath("quenby");
    ASSERT_TRUE(QFile::link(QFileInfo(binary).absoluteFilePath(), installed));
    const QString absolute = QFileInfo(binary).canonicalFilePath();
    const QString entryOf = QStringLiteral("/autostart/app.quenby.Quenby.AutoLauncher.desktop");
    const QByteArray olderEntry =
        "[Desktop Entry]\nType=Application\nName=Quenby\nExec=" + absolute.toUtf8() +
        "\nX-GNOME-Autostart-enabled=true\n";
    const QByteArray withInstalled = bin.path().toUtf8() + ":/usr/bin:/bin";
    const struct {
        const char* what;
        QByteArray path;
        std::optional<QByteArray> thisBinary;
        QByteArray before;
        QString starts;
    } cases[] = {
        {"nothing installed", "/usr/bin:/bin", std::nullopt, {}, "quenby"},
        {"this binary asked for", withInstalled, "1", {}, absolute},
        {"installed", withInstalled, std::nullopt, {}, installed},
        {"installed, over an older entry", withInstalled, std::nullopt, olderEntry, installed}};
    for (const auto& c : cases) {
        const QTemporaryDir config;
        if (!c.before.isEmpty()) {
            ASSERT_TRUE(writeFile(config.path() + entryOf, c.before));
            ASSERT_TRUE(writeFile(storePath(config.path(), "startupSet.bool"), "true"));
        }
        const ScopedEnv path("PATH", c.path);
        const ScopedEnv asked(LoginItem::thisBinaryVariable, c.thisBinary);
        QuenbyProcess app(config.path());
        ASSERT_TRUE(app.waitForLine("launch on startup true")) << c.what << app.output.constData();
        const QByteArray entry = readFile(config.path() + entryOf);
        EXPECT_TRUE(entry.contains("\nExec=" + LoginItem::execArgument(c.starts).toUtf8() +
                                   "\nTryExec=" + c.starts.toUtf8() + "\n"))
            << c.what << "\n"
            << entry.constData();
        EXPECT_EQ(app.output.contains("Start at login now starts " + c.starts.toUtf8() + "\n"),
                  !c.before.isEmpty())
            << c.what << app.output.constData();
    }
}

TEST(Application, ASecondLaunchExitsAtOnceAndTouchesNothing) {
    const QTemporaryDir config;
    QuenbyProcess first(config.path());
    ASSERT_TRUE(first.waitForLine("applicationDidBecomeActive"));
    const auto before = snapshot(config.path());

    QElapsedTimer took;
    took.start();
    QuenbyProcess second(config.path());
    ASSERT_TRUE(second.process.waitForFinished(5000));
    EXPECT_LT(took.elapsed(), 3000);
    EXPECT_EQ(second.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.process.exitCode(), 0);
    EXPECT_EQ(second.output, "Quenby is already running\n");

    EXPECT_EQ(snapshot(config.path()), before);
    EXPECT_EQ(first.process.state(), QProcess::Running);

    // Another user's store (another configuration folder) runs a panel of its own.
    const QTemporaryDir otherConfig;
    QuenbyProcess other(otherConfig.path());
    EXPECT_TRUE(other.waitForLine("applicationDidBecomeActive"));
}
