#pragma once

#include "tests/support/Processes.h"

#include <algorithm>
#include <cstdint>

namespace E2E {

// The window that has the keyboard.
inline std::uint32_t focusedWindow() {
    return run(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")})
        .output.trimmed()
        .toUInt();
}

// Another application's window holding the keyboard focus (xev's), and the key events it got.
class FocusWindow {
public:
    FocusWindow() {
        QObject::connect(&process_, &QProcess::readyReadStandardOutput, [this] {
            events_ += QString::fromUtf8(process_.readAllStandardOutput());
        });
        process_.start(QStringLiteral("xev"), {"-event", "keyboard", "-name", name});
    }
    ~FocusWindow() {
        process_.kill();
        process_.waitForFinished(1000);
    }
    FocusWindow(const FocusWindow&) = delete;
    FocusWindow& operator=(const FocusWindow&) = delete;

    // Once mapped it is given the focus, which without a window manager nobody else does
    // (generous: xev and xdotool start on busy cores).
    bool waitUntilFocused() {
        return waitUntil(
            [this] {
                if (id_ == 0) {
                    id_ = run(QStringLiteral("xdotool"), {"search", "--name", '^' + name + '$'})
                              .output.trimmed()
                              .toUInt();
                } else if (focusedWindow() != id_) {
                    run(QStringLiteral("xdotool"), {"windowfocus", QString::number(id_)});
                }
                return id_ != 0 && focusedWindow() == id_;
            },
            std::chrono::seconds(20));
    }
    std::uint32_t windowId() const { return id_; }
    // How many presses of the keysym the window received so far.
    qsizetype keyPresses(std::uint32_t keysym) const {
        const QString key = QStringLiteral("(keysym 0x%1,").arg(keysym, 0, 16);
        return std::ranges::count_if(events_.split(QStringLiteral("\n\n")), [&](const QString& e) {
            return e.startsWith(QLatin1String("KeyPress")) && e.contains(key);
        });
    }
    bool waitForKeyPresses(std::uint32_t keysym, qsizetype count) {
        return waitUntil([&] { return keyPresses(keysym) >= count; });
    }
    // Everything it printed so far.
    const QString& output() const { return events_; }

private:
    static inline const QString name = QStringLiteral("x11-focus-window");
    QProcess process_;
    QString events_;
    std::uint32_t id_ = 0;
};

} // namespace E2E
