#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QtCore/qtestsupport_core.h>

#include <chrono>

// Other programs run by tests, every wait bounded.
namespace E2E {

inline constexpr std::chrono::milliseconds defaultTimeout{5000};

struct RunResult {
    int exitCode = -1; // -1 when it did not finish in time or crashed
    QString output;    // standard output, then standard error
};

// Runs a program to its end (killed after `timeout`), `input` on its standard input.
inline RunResult run(const QString& program, const QStringList& arguments,
                     std::chrono::milliseconds timeout = defaultTimeout,
                     const QByteArray& input = {}) {
    QProcess process;
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    RunResult result;
    if (process.waitForFinished(static_cast<int>(timeout.count())) &&
        process.exitStatus() == QProcess::NormalExit) {
        result.exitCode = process.exitCode();
    } else {
        process.kill();
        process.waitForFinished(1000);
    }
    result.output =
        QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    return result;
}

// Runs the Qt event loop until `condition` holds; false when `timeout` passes first.
template <typename Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds timeout = defaultTimeout) {
    return QTest::qWaitFor(condition, static_cast<int>(timeout.count()));
}

} // namespace E2E
