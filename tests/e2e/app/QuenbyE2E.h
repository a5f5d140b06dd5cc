#pragma once

// The real binary on the test's X display, another application holding the focus, and
// the store they leave behind: what the application's end-to-end tests share.
#include "E2EProcess.h"
#include "store/Models.h"
#include "tests/support/FileUtil.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// Quenby on its own configuration folder, on the test's display.
class Quenby {
public:
    // `feed`: the announcement feed's address, if any.
    explicit Quenby(const QString& configHome, const QString& feed = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
        env.insert(QStringLiteral("QUENBY_FEED_URL"), feed);
        process.setProcessEnvironment(env);
        QObject::connect(&process, &QProcess::readyReadStandardOutput,
                         [this] { output += process.readAllStandardOutput(); });
        process.start(QStringLiteral(QUENBY_BINARY), {});
    }
    ~Quenby() {
        process.kill();
        process.waitForFinished(3000);
    }
    Quenby(const Quenby&) = delete;
    Quenby& operator=(const Quenby&) = delete;

    bool waitForLine(const QByteArray& line) {
        return E2E::waitUntil([&] { return output.contains(line + '\n'); });
    }
    void killHard() {
        process.kill();
        process.waitForFinished(3000);
    }

    QProcess process;
    QByteArray output;
};

inline bool xdotool(const QStringList& arguments) {
    return E2E::run(QStringLiteral("xdotool"), arguments).exitCode == 0;
}

inline std::uint32_t focusedWindow() {
    return E2E::run(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")})
        .output.trimmed()
        .toUInt();
}

class ShortcutsE2E : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(config.isValid()); }

    QString storeFile() const { return config.path() + QStringLiteral("/Quenby/tasksData.data"); }
    std::vector<Task> stored() const {
        return Json::decodeTasks(readFile(storeFile())).value_or(std::vector<Task>{});
    }
    // Waits until the stored list satisfies `condition`.
    bool waitForStore(const std::function<bool(const std::vector<Task>&)>& condition) const {
        return E2E::waitUntil([&] { return condition(stored()); });
    }
    static const Task* find(const std::vector<Task>& tasks, const QString& name) {
        for (const Task& t : tasks) {
            if (t.name == name) {
                return &t;
            }
        }
        return nullptr;
    }

    // Starts Quenby, then another application that takes the focus.
    void startBoth(const QString& feed = {}) {
        quenby = std::make_unique<Quenby>(config.path(), feed);
        ASSERT_TRUE(quenby->waitForLine("viewDidAppear")) << quenby->output.constData();
        other = std::make_unique<E2E::FocusWindow>();
        ASSERT_TRUE(other->waitUntilFocused()) << other->output().toStdString();
        ASSERT_EQ(focusedWindow(), other->windowId());
    }

    QTemporaryDir config;
    std::unique_ptr<Quenby> quenby;
    std::unique_ptr<E2E::FocusWindow> other;
};
