// Starting the real binary: first launch, and a second launch while it runs.
#include "platform/LoginItem.h"
#include "tests/support/QuenbyProcess.h"

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

TEST(Application, FirstLaunchTurnsOnStartAtLoginAndShowsTheFirstTutorial) {
    const QTemporaryDir config;
    QuenbyProcess app(config.path());
    ASSERT_TRUE(app.waitForLine("applicationDidBecomeActive")) << app.output.toStdString();
    // Without an X11 display every global shortcut is refused, each with its line.
    QByteArray refusals;
    for (const char* key : {"A", "D", "H", "1", "2", "W", "T"}) {
        refusals += QByteArray("Hot key Ctrl+Alt+") + key + " refused: no X11 connection\n";
    }
    EXPECT_TRUE(app.output.startsWith(refusals +
                                      "setting launch: true\nLaunch on Startup is ON\n()\n"
                                      "launch on startup true\nviewDidAppear\n"
                                      "Message feed: no address configured\n"
                                      "applicationDidBecomeActive\n"))
        << app.output.toStdString();

    const QString store = config.path() + "/Quenby/";
    EXPECT_EQ(readFile(store + "startupSet.bool"), "true");
    EXPECT_EQ(readFile(store + "launchOnStartup.bool"), "true");
    EXPECT_EQ(readFile(store + "tutorialsAdded.bool"), "true");
    EXPECT_EQ(readFile(store + "tasksData.data").count("\"isTutorial\":true"), 3);
    // No message came, so the unchanged (empty) message list is not written.
    EXPECT_FALSE(QFile::exists(store + "systemMessages.data"));

    const QByteArray entry =
        readFile(config.path() + "/autostart/app.quenby.Quenby.AutoLauncher.desktop");
    const QString absolute = QFileInfo(binary).canonicalFilePath();
    EXPECT_TRUE(entry.contains("\nExec=" + LoginItem::execArgument(absolute).toUtf8() + "\n"))
        << entry.toStdString();
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
