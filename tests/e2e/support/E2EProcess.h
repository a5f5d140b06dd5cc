#pragma once

#include "tests/support/Processes.h"

#include <QRegularExpression>

#include <cstdint>

namespace E2E {

// Another application's window holding the keyboard focus (xev's), and the keys it reports.
class FocusWindow {
public:
    FocusWindow() {
        QObject::connect(&process_, &QProcess::readyReadStandardOutput,
                         [this] { lines_ += QString::fromUtf8(process_.readAllStandardOutput()); });
        process_.start(QStringLiteral("xev"), {"-event", "keyboard", "-event", "focus"});
    }
    ~FocusWindow() {
        process_.kill();
        process_.waitForFinished(1000);
    }
    FocusWindow(const FocusWindow&) = delete;
    FocusWindow& operator=(const FocusWindow&) = delete;

    // Asks for the focus itself once the window is up: without a window manager nobody hands
    // it out.
    bool waitUntilFocused() {
        return waitUntil([this] {
                   return windowId() != 0 &&
                          run(QStringLiteral("xdotool"),
                              {"windowfocus", "--sync", QString::number(windowId())})
                                  .exitCode == 0;
               }) &&
               waitUntil([this] { return lines_.contains(QLatin1String("FocusIn event")); });
    }
    std::uint32_t windowId() const {
        return lines_.section(QLatin1String("Outer window is "), 1, 1)
            .section(QLatin1Char(','), 0, 0)
            .toUInt(nullptr, 0);
    }
    // How many presses of the keysym the window received so far.
    qsizetype keyPresses(std::uint32_t keysym) const {
        return lines_.count(QRegularExpression(
            QStringLiteral("KeyPress event.*\\n.*\\n.*\\(keysym 0x%1,").arg(keysym, 0, 16)));
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
