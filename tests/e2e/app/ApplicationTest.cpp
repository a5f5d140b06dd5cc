// Starting the real binary: first launch, and a second launch while it runs.
#include "platform/LoginItem.h"
#include "tests/support/FileUtil.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

namespace {

const QString binary = QStringLiteral(QUENBY_BINARY);

// The application on its own temporary configuration folder.
class Launch {
public:
    explicit Launch(const QString& configHome) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", configHome);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start(binary, {});
    }
    ~Launch() {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            process.waitForFinished(3000);
        }
    }
    Launch(const Launch&) = delete;
    Launch& operator=(const Launch&) = delete;

    // Reads standard output until `line` has appeared. The panel's first pass has saved
    // both lists by the time the application becomes active.
    bool waitForLine(const QByteArray& line, int ms = 10000) {
        QElapsedTimer waited;
        waited.start();
        while (!output.split('\n').contains(line) && waited.elapsed() < ms) {
            process.waitForReadyRead(100);
            output += process.readAllStandardOutput();
        }
        return output.split('\n').contains(line);
    }

    QProcess process;
    QByteArray output;
};

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
    Launch app(config.path());
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
    Launch first(config.path());
    ASSERT_TRUE(first.waitForLine("applicationDidBecomeActive"));
    const auto before = snapshot(config.path());

    QElapsedTimer took;
    took.start();
    Launch second(config.path());
    ASSERT_TRUE(second.process.waitForFinished(5000));
    EXPECT_LT(took.elapsed(), 3000);
    EXPECT_EQ(second.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.process.exitCode(), 0);
    EXPECT_EQ(second.process.readAllStandardOutput(), "Quenby is already running\n");

    EXPECT_EQ(snapshot(config.path()), before);
    EXPECT_EQ(first.process.state(), QProcess::Running);

    // Another user's store (another configuration folder) runs a panel of its own.
    const QTemporaryDir otherConfig;
    Launch other(otherConfig.path());
    EXPECT_TRUE(other.waitForLine("applicationDidBecomeActive"));
}
