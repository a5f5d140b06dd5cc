#pragma once

#include "tests/support/Processes.h"

#include <cstdint>

// Another application's window for end-to-end tests.
namespace E2E {

// The path of the x11-focus-window helper, compiled in by the build.
inline QString focusWindowProgram() {
    return QStringLiteral(QUENBY_X11_FOCUS_WINDOW);
}

// Another application's window holding the keyboard focus, and the key lines it reports.
class FocusWindow {
public:
    FocusWindow() {
        QObject::connect(&process, &QProcess::readyReadStandardOutput,
                         [this] { lines += QString::fromUtf8(process.readAllStandardOutput()); });
        process.start(focusWindowProgram(), {});
    }
    ~FocusWindow() {
        process.kill();
        process.waitForFinished(1000);
    }
    FocusWindow(const FocusWindow&) = delete;
    FocusWindow& operator=(const FocusWindow&) = delete;

    bool waitUntilFocused() {
        return waitUntil([this] { return lines.contains(QLatin1String("focused ")); });
    }
    // The window's id, once focused.
    std::uint32_t windowId() const {
        return lines.section(QLatin1Char('\n'), 0, 0)
            .section(QLatin1Char(' '), 1, 1)
            .toUInt(nullptr, 0);
    }
    // How many presses of the keysym the window received so far.
    qsizetype keyPresses(std::uint32_t keysym) const {
        return lines.count(QStringLiteral("key-press 0x%1 ").arg(keysym, 0, 16));
    }
    bool waitForKeyPresses(std::uint32_t keysym, qsizetype count) {
        return waitUntil([&] { return keyPresses(keysym) >= count; });
    }
    // Everything it printed so far.
    const QString& output() const { return lines; }

private:
    QProcess process;
    QString lines;
};

} // namespace E2E
