#pragma once

// The real binary on the test's X display, another application holding the focus, and
// the store they leave behind: what the application's end-to-end tests share.
#include "E2EProcess.h"
#include "tests/support/QuenbyProcess.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QScreen>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

// Quenby on its own configuration folder, on the test's display.
class Quenby : public QuenbyProcess {
public:
    // `feed`: the announcement feed's address, if any; `scale`: Qt's scale factor.
    explicit Quenby(const QString& configHome, const QString& feed = {}, const QString& scale = "1")
        : QuenbyProcess(configHome, {.feed = feed, .scale = scale, .tmpDir = {}, .asUser = false}) {
    }

    // Its windows on screen, the panel first.
    QStringList windows() const {
        return E2E::run("xdotool",
                        {"search", "--onlyvisible", "--pid", QString::number(process.processId())})
            .output.split(u'\n', Qt::SkipEmptyParts);
    }
    QString panelWindow() const { return windows().value(0); }
    // The panel's frame on the screen, in the server's (device) pixels.
    QRect panelGeometry() const {
        const QString shell =
            E2E::run("xdotool", {"getwindowgeometry", "--shell", panelWindow()}).output;
        const auto value = [&shell](const char* name) {
            return shell.section(QLatin1String(name) + u'=', 1, 1).section(u'\n', 0, 0).toInt();
        };
        return {value("X"), value("Y"), value("WIDTH"), value("HEIGHT")};
    }
};

namespace E2E {

// Generous: the window manager and the binary share two busy cores with other tests.
inline constexpr std::chrono::seconds patience{20};

// The first visible window titled exactly `name`; empty while there is none.
inline QString windowNamed(const QString& name) {
    return run("xdotool", {"search", "--onlyvisible", "--name", '^' + name + '$'})
        .output.trimmed()
        .section(u'\n', 0, 0);
}

// The window's picture, saved as `dir`/`name`.png.
inline QImage screenshot(const QString& window, const QString& dir, const QString& name) {
    QDir().mkpath(dir);
    const QImage image =
        QGuiApplication::primaryScreen()->grabWindow(window.toULongLong()).toImage();
    image.save(dir + u'/' + name + ".png");
    return image;
}

// Does `act` until `done` holds, three times at most: a key or click a busy machine lost, or
// made before the window that takes it was ready, is made again.
template <typename Act, typename Done> bool retrying(Act act, Done done) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (act() && waitUntil(done, patience / 3)) {
            return true;
        }
    }
    return false;
}

} // namespace E2E

using E2E::focusedWindow;

// The title of the window that has the keyboard.
inline QString focusedName() {
    return E2E::run("xdotool", {"getwindowfocus", "getwindowname"}).output.trimmed();
}

class ShortcutsE2E : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(config.isValid()); }

    QString storeFile() const { return storePath(config.path(), "tasksData.data"); }
    std::vector<Task> stored() const { return storedTasks(config.path()); }
    // Waits until the stored list satisfies `condition`.
    bool waitForStore(const std::function<bool(const std::vector<Task>&)>& condition) const {
        return E2E::waitUntil([&] { return condition(stored()); });
    }
    static const Task* find(const std::vector<Task>& tasks, const QString& name) {
        const auto it = std::ranges::find(tasks, name, &Task::name);
        return it != tasks.end() ? &*it : nullptr;
    }

    static bool press(const QString& keys) {
        return xdotool(QStringList{"key"} + keys.split(u' '));
    }
    static bool type(const QString& text) { return xdotool({"type", "--delay", "20", text}); }
    static bool waitForFocusOn(const QString& name) {
        return E2E::waitUntil([&] { return focusedName() == name; }, E2E::patience);
    }
    // Closes the window named `name` with `keys`, and waits until it is gone: on a busy
    // machine a window can still be closing when the next step clicks or types.
    static bool closeWith(const QString& keys, const QString& name) {
        return press(keys) &&
               E2E::waitUntil([&] { return E2E::windowNamed(name).isEmpty(); }, E2E::patience);
    }

    // The panel takes the keyboard (Control-Alt-A), then `keys` open a window of its.
    bool openFromPanel(const QString& keys, const QString& name) const {
        return E2E::retrying(
            [&] {
                return press("Escape") && press("ctrl+alt+a") && E2E::waitUntil([&] {
                           return focusedWindow() == quenby->panelWindow().toUInt();
                       }) &&
                       press(keys);
            },
            [&] { return !E2E::windowNamed(name).isEmpty(); });
    }

    // Control-Alt-A from the other application, `name` typed into the panel and stored, and the
    // keyboard back with the other application.
    bool addFromOther(const QString& name) const {
        return press("ctrl+alt+a") &&
               E2E::waitUntil([&] { return focusedWindow() != other->windowId(); }) && type(name) &&
               press("Return") && waitForStore([&](const auto& s) { return find(s, name); }) &&
               E2E::waitUntil([&] { return focusedWindow() == other->windowId(); });
    }

    // The other application activated again, once it has the keyboard.
    bool activateOther() const {
        return xdotool({"windowactivate", "--sync", QString::number(other->windowId())}) &&
               E2E::waitUntil([&] { return focusedWindow() == other->windowId(); });
    }

    // Starts Quenby, then another application that takes the focus.
    void startBoth(const QString& scale = "1") {
        quenby = std::make_unique<Quenby>(config.path(), QString(), scale);
        ASSERT_TRUE(quenby->waitForLine("viewDidAppear")) << quenby->output.constData();
        other = std::make_unique<E2E::FocusWindow>();
        ASSERT_TRUE(other->waitUntilFocused()) << other->output().toStdString();
        ASSERT_EQ(focusedWindow(), other->windowId());
    }

    QTemporaryDir config;
    std::unique_ptr<Quenby> quenby;
    std::unique_ptr<E2E::FocusWindow> other;
};
