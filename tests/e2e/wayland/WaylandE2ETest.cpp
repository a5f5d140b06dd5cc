// The real binary: the session mode it picks, and `quenby --action …` handed to a panel.
#include "E2EProcess.h"
#include "store/Models.h"
#include "tests/support/FileUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {

using Settings = QList<std::pair<QString, QString>>;

// Quenby on the store under `configHome`, with the session variables of `settings` only.
void prepare(QProcess& process, const QString& configHome, const Settings& settings) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    for (const char* name : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE"}) {
        env.remove(QLatin1String(name));
    }
    for (const auto& [name, value] : settings) {
        env.insert(name, value);
    }
    process.setProcessEnvironment(env);
    process.setProgram(QStringLiteral(QUENBY_BINARY));
}

// A run to its end: exit status, standard output, standard error.
std::tuple<int, QString, QString> quenby(const QString& configHome, const QStringList& arguments,
                                         const Settings& settings = {}) {
    QProcess process;
    prepare(process, configHome, settings);
    process.setArguments(arguments);
    process.start();
    const int status = process.waitForFinished(10000) ? process.exitCode() : -1;
    return {status, QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// The processes holding a file in `folder` open, as a panel holds its lock.
QList<pid_t> holdersOfFilesIn(const QString& folder) {
    QList<pid_t> holders;
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
        for (const QFileInfo& fd : fds.entryInfoList(QDir::Files | QDir::System)) {
            if (fd.symLinkTarget().startsWith(folder + u'/') && !holders.contains(pid.toInt())) {
                holders << pid.toInt();
            }
        }
    }
    return holders;
}

class PanelE2E : public testing::Test {
protected:
    void start(const Settings& settings) {
        prepare(panel, config.path(), settings);
        panel.start();
        ASSERT_TRUE(E2E::waitUntil([this] {
            output += panel.readAllStandardOutput();
            return output.contains("viewDidAppear\n");
        })) << output.constData();
    }
    void TearDown() override {
        panel.kill();
        panel.waitForFinished(3000);
    }
    QByteArray tasksData() const { return readFile(config.path() + "/Quenby/tasksData.data"); }

    QTemporaryDir config;
    QProcess panel;
    QByteArray output;
};

} // namespace

TEST_F(PanelE2E, AWaylandSessionWithAnXDisplayRunsThePanelThroughXWayland) {
    start({{"WAYLAND_DISPLAY", "wayland-quenby-test"}, {"XDG_SESSION_TYPE", "wayland"}});
    EXPECT_TRUE(output.startsWith("Session: Wayland, the panel runs through XWayland\n"));
}

TEST_F(PanelE2E, ACommandLineActionIsHandedToTheRunningPanel) {
    start({{"QT_QPA_PLATFORM", "offscreen"}});
    const auto [status, done, error] = quenby(config.path(), {"--action", "done"});
    EXPECT_EQ(status, 0) << error.toStdString();
    ASSERT_TRUE(done.startsWith("Done: ")) << done.toStdString();
    // The task the panel showed is stored done.
    const auto tasks = Json::decodeTasks(tasksData()).value_or(std::vector<Task>{});
    EXPECT_TRUE(std::any_of(tasks.begin(), tasks.end(), [name = done.mid(6).chopped(1)](auto& t) {
        return t.name == name && t.isDone;
    }));
}

TEST_F(PanelE2E, ACommandLineActionStartsThePanelWhenNoneRuns) {
    const QTemporaryDir runtime;
    const auto [status, added, error] =
        quenby(config.path(), {"--action", "add", "Water the plants"},
               {{"QT_QPA_PLATFORM", "offscreen"}, {"XDG_RUNTIME_DIR", runtime.path()}});
    const QList<pid_t> started = holdersOfFilesIn(config.path() + "/Quenby");
    for (const pid_t pid : started) {
        ::kill(pid, SIGTERM);
    }
    EXPECT_EQ(status, 0) << error.toStdString();
    EXPECT_EQ(added, "Added: Water the plants\n");
    EXPECT_EQ(started.size(), 1);
    EXPECT_TRUE(tasksData().contains("\"Water the plants\""));
}
