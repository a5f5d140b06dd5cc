#pragma once

// The real binary under hostile conditions: what the torture groups share.
#include "E2EProcess.h"
#include "store/Models.h"
#include "tests/support/FileUtil.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <iostream>

namespace Torture {

using namespace std::chrono_literals;

// How many rounds a group runs: QUENBY_TORTURE_ROUNDS, else a few for every test run.
inline int rounds(int few) {
    const int asked = qEnvironmentVariableIntValue("QUENBY_TORTURE_ROUNDS");
    return asked > 0 ? asked : few;
}

inline void summary(const char* group, int rounds, int acknowledged, int lost) {
    std::cout << "torture " << group << ": rounds " << rounds << ", acknowledged changes "
              << acknowledged << ", lost: " << lost << std::endl;
}

// Quenby on a configuration folder. As root it runs without the capabilities that
// override file permissions, as a user's process would.
class App {
public:
    explicit App(const QString& configHome, const QString& tmpDir = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
        if (!tmpDir.isEmpty()) {
            env.insert(QStringLiteral("TMPDIR"), tmpDir);
        }
        process.setProcessEnvironment(env);
        QObject::connect(&process, &QProcess::readyReadStandardOutput,
                         [this] { output += process.readAllStandardOutput(); });
        if (::geteuid() == 0) {
            process.start("setpriv", {"--bounding-set", "-dac_override,-dac_read_search", "--",
                                      QUENBY_BINARY});
        } else {
            process.start(QUENBY_BINARY, {});
        }
        process.waitForStarted();
    }
    ~App() { kill(); }
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    bool waitForLine(const QByteArray& line, std::chrono::milliseconds timeout = 10s) {
        return E2E::waitUntil([&] { return output.contains(line + '\n'); }, timeout);
    }
    bool waitForOutput(const QByteArray& text) {
        return E2E::waitUntil([&] { return output.contains(text); });
    }
    bool running() const { return process.state() == QProcess::Running; }
    // kill -9: no chance to finish anything.
    void kill() {
        if (process.processId() > 0 && running()) {
            ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
        }
        process.waitForFinished(3000);
    }

    QProcess process;
    QByteArray output;
};

inline bool press(const char* keys) {
    return E2E::run(QStringLiteral("xdotool"), {QStringLiteral("key"), QString::fromLatin1(keys)})
               .exitCode == 0;
}

inline QString storeFile(const QString& config, const QString& name) {
    return config + QStringLiteral("/Quenby/") + name;
}

// Waits until no save has replaced the file at `path` for a moment: one action saves more
// than once, and each save puts a new file in place.
inline void waitForQuiet(const QString& path) {
    const auto inode = [&] {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
    };
    for (int i = 0; i < 20; ++i) {
        const ino_t before = inode();
        QTest::qWait(250);
        if (inode() == before) {
            return;
        }
    }
}

inline std::vector<Task> storedTasks(const QString& config) {
    return Json::decodeTasks(readFile(storeFile(config, QStringLiteral("tasksData.data"))))
        .value_or(std::vector<Task>{});
}

// `count` open tasks, oldest first, so that the panel works through them in order.
inline std::vector<Task> seedTasks(const QString& config, int count) {
    std::vector<Task> tasks;
    for (int i = 0; i < count; ++i) {
        Task t;
        t.id = QUuid::createUuid();
        t.name = QStringLiteral("task %1").arg(i);
        t.created = Date{700000000.0 + i};
        tasks.push_back(t);
    }
    EXPECT_TRUE(
        writeFile(storeFile(config, QStringLiteral("tasksData.data")), *Json::encodeTasks(tasks)));
    return tasks;
}

// What is wrong with the stored values: a temporary file left, or a value that is empty,
// partial or not of its kind. Files kept aside and the instance lock are not values.
inline QStringList storeProblems(const QString& config) {
    QStringList problems;
    const QDir dir(config + QStringLiteral("/Quenby"));
    for (const QFileInfo& f :
         dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        const QString name = f.fileName();
        if (name.contains(QLatin1String(".unreadable-")) || name.startsWith("quenby-")) {
            continue;
        }
        const QByteArray bytes = f.isFile() ? readFile(f.filePath()) : QByteArray();
        bool ok = f.isFile() && !name.contains(QLatin1String(".saving-"));
        if (ok && name == QLatin1String("tasksData.data")) {
            ok = Json::decodeTasks(bytes).has_value();
        } else if (ok && name == QLatin1String("systemMessages.data")) {
            ok = Json::decodeSystemMessages(bytes).has_value();
        } else if (ok && (name.endsWith(QLatin1String(".ints")) ||
                          name == QLatin1String("seenSystemMessages.data"))) {
            ok = Json::decodeIntegers(bytes).has_value();
        } else if (ok && name.endsWith(QLatin1String(".bool"))) {
            ok = bytes == "true" || bytes == "false";
        }
        if (!ok) {
            problems << name;
        }
    }
    return problems;
}

} // namespace Torture
