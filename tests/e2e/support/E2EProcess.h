#pragma once

#include "tests/support/Processes.h"

#include <cstdint>

namespace E2E {

// Another application's window holding the keyboard focus, and the key lines it reports.
class FocusWindow {
public:
    FocusWindow() {
        QObject::connect(&process_, &QProcess::readyReadStandardOutput,
                         [this] { lines_ += QString::fromUtf8(process_.readAllStandardOutput()); });
        process_.start(QStringLiteral(QUENBY_X11_FOCUS_WINDOW), {}); // the helper the build made
    }
    ~FocusWindow() {
        process_.kill();
        process_.waitForFinished(1000);
    }
    FocusWindow(const FocusWindow&) = delete;
    FocusWindow& operator=(const FocusWindow&) = delete;

    bool waitUntilFocused() {
        return waitUntil([this] { return lines_.contains(QLatin1String("focused ")); });
    }
    // The window's id, once focused.
    std::uint32_t windowId() const {
        return lines_.section(QLatin1Char('\n'), 0, 0)
            .section(QLatin1Char(' '), 1, 1)
            .toUInt(nullptr, 0);
    }
    // How many presses of the keysym the window received so far.
    qsizetype keyPresses(std::uint32_t keysym) const {
        return lines_.count(QStringLiteral("key-press 0x%1 ").arg(keysym, 0, 16));
    }
    bool waitForKeyPresses(std::uint32_t keysym, qsizetype count) {
        return waitUntil([&] { return keyPresses(keysym) >= count; });
    }
    // Everything it printed so far.
    const QString& output() const { return lines_; }

private:
    QProcess process_;
    QString lines_;
};

} // namespace E2E
