#pragma once

// The real binary (QUENBY_BINARY) on a configuration folder of its own, and the store it
// leaves there: what the end-to-end and torture tests share.
#include "store/Models.h"
#include "tests/support/Builders.h"
#include "tests/support/FileUtil.h"
#include "tests/support/Processes.h"

#include <QProcess>

#include <gtest/gtest.h>
#include <unistd.h>

class QuenbyProcess {
public:
    struct Options {
        QString feed;                        // the announcement feed's address, if any
        QString scale = QStringLiteral("1"); // Qt's scale factor
        QString tmpDir;                      // TMPDIR, when not the test's own
        // As root, run without the capabilities that override file permissions, as a
        // user's process would.
        bool asUser = false;
    };

    explicit QuenbyProcess(const QString& configHome)
        : QuenbyProcess(configHome, Options{}) {}
    QuenbyProcess(const QString& configHome, const Options& options) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
        env.insert(QStringLiteral("QUENBY_FEED_URL"), options.feed);
        env.insert(QStringLiteral("QT_SCALE_FACTOR"), options.scale);
        if (!options.tmpDir.isEmpty()) {
            env.insert(QStringLiteral("TMPDIR"), options.tmpDir);
        }
        process.setProcessEnvironment(env);
        QObject::connect(&process, &QProcess::readyReadStandardOutput,
                         [this] { output += process.readAllStandardOutput(); });
        if (options.asUser && ::geteuid() == 0) {
            process.start("setpriv", {"--bounding-set", "-dac_override,-dac_read_search", "--",
                                      QUENBY_BINARY});
        } else {
            process.start(QStringLiteral(QUENBY_BINARY), {});
        }
        process.waitForStarted();
    }
    ~QuenbyProcess() { kill(); }
    QuenbyProcess(const QuenbyProcess&) = delete;
    QuenbyProcess& operator=(const QuenbyProcess&) = delete;

    bool waitForLine(const QByteArray& line,
                     std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        return E2E::waitUntil([&] { return output.contains(line + '\n'); }, timeout);
    }
    bool waitForOutput(const QByteArray& text) {
        return E2E::waitUntil([&] { return output.contains(text); });
    }
    bool running() const { return process.state() == QProcess::Running; }
    // kill -9: no chance to finish anything.
    void kill() {
        if (running()) {
            process.kill();
        }
        process.waitForFinished(3000);
    }

    QProcess process;
    QByteArray output;
};

// Runs the binary to its end (killed after 30 s), `input` on its standard input.
inline E2E::RunResult runQuenby(const QStringList& arguments, const QByteArray& input = {}) {
    return E2E::run(QStringLiteral(QUENBY_BINARY), arguments, std::chrono::seconds(30), input);
}

// Runs xdotool on the test's display; true when it succeeded.
inline bool xdotool(const QStringList& arguments) {
    return E2E::run(QStringLiteral("xdotool"), arguments).exitCode == 0;
}

inline QString storePath(const QString& configHome, const QString& name) {
    return configHome + QStringLiteral("/Quenby/") + name;
}

inline std::vector<Task> storedTasks(const QString& configHome) {
    return Json::decodeTasks(readFile(storePath(configHome, QStringLiteral("tasksData.data"))))
        .value_or(std::vector<Task>{});
}

// Stores `count` open tasks "task 0", "task 1" ..., oldest first, so that the panel works
// through them in order.
inline std::vector<Task> seedTasks(const QString& configHome, int count) {
    std::vector<Task> tasks;
    for (int i = 0; i < count; ++i) {
        tasks.push_back(makeTask(QStringLiteral("task %1").arg(i), 700000000.0 + i));
    }
    EXPECT_TRUE(writeFile(storePath(configHome, QStringLiteral("tasksData.data")),
                          *Json::encodeTasks(tasks)));
    return tasks;
}
