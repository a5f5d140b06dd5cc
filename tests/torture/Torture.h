#pragma once

// The real binary under hostile conditions: what the torture groups share.
#include "tests/support/QuenbyProcess.h"

#include <QDir>
#include <QTemporaryDir>

#include <functional>
#include <iostream>
#include <map>
#include <memory>

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

using Env = QList<std::pair<QString, QString>>;

// `quenby ARGS` on the store under `config` (XDG_CONFIG_HOME), started but not waited for;
// a null value in `env` removes the variable.
inline std::unique_ptr<QProcess> start(const QString& config, const QStringList& arguments,
                                       const Env& env = {}) {
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", config);
    environment.insert("QUENBY_FEED_URL", QString());
    for (const auto& [name, value] : env) {
        value.isNull() ? environment.remove(name) : environment.insert(name, value);
    }
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->start(QStringLiteral(QUENBY_BINARY), arguments);
    return process;
}

inline E2E::RunResult quenby(const QString& config, const QStringList& arguments,
                             const Env& env = {}) {
    return E2E::finish(*start(config, arguments, env), 60s);
}

// How often each name is stored.
inline std::map<QString, int> storedNames(const QString& config) {
    std::map<QString, int> names;
    std::ranges::for_each(storedTasks(config), [&](const Task& t) { ++names[t.name]; });
    return names;
}

// Quenby as a user's process, even when the tests run as root.
class App : public QuenbyProcess {
public:
    explicit App(const QString& configHome)
        : QuenbyProcess(configHome, {.feed = {}, .scale = "1", .tmpDir = {}, .asUser = true}) {}
};

// A save's temporary ("*.saving-*") is there only while it writes, or after a kill in its middle.
inline bool saveUnfinished(const QString& config) {
    return !QDir(config + "/Quenby").entryList({"*.saving-*"}).isEmpty();
}

// Waits until the stored list satisfies `expected` and no save is under way: one action may
// save more than once, so `expected` names what its last save leaves.
inline bool waitForStored(const QString& config,
                          const std::function<bool(const std::vector<Task>&)>& expected) {
    return E2E::waitUntil([&] { return expected(storedTasks(config)) && !saveUnfinished(config); });
}

// What is wrong with the stored values: a temporary file left, or a value that is empty,
// partial or not of its kind. Files kept aside and the instance lock are not values.
inline QStringList storeProblems(const QString& config) {
    QStringList problems;
    const QDir dir(config + "/Quenby");
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

// The store on a small tmpfs of its own, which a test can fill; root only.
class FullDisk : public testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0) {
            GTEST_SKIP() << "torture full disk: skipped, mounting a small tmpfs needs root";
        }
        ASSERT_TRUE(config.isValid());
        const auto mounted =
            E2E::run("mount", {"-t", "tmpfs", "-o", "size=2m,mode=0700", "tmpfs", config.path()});
        if (mounted.exitCode != 0) {
            GTEST_SKIP() << "torture full disk: skipped, cannot mount a tmpfs: "
                         << mounted.output.toStdString();
        }
    }
    void TearDown() override { E2E::run("umount", {"-l", config.path()}); }

    // Fills the file system to its last byte.
    void fill() {
        QFile filler(config.path() + "/filler");
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'f');
        while (filler.write(block) > 0) {
        }
        while (filler.write(block.left(1)) > 0) {
        }
    }

    QTemporaryDir config;
};

} // namespace Torture
