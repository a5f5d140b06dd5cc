#pragma once

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QtCore/qtestsupport_core.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <set>
#include <string>

// Other programs run by tests, every wait bounded.
namespace E2E {

inline constexpr std::chrono::milliseconds defaultTimeout{5000};

struct RunResult {
    int exitCode = -1; // -1 when it did not finish in time or crashed
    QString output;    // standard output, then standard error
};

// Waits for a started program to end (killed after `timeout`).
inline RunResult finish(QProcess& process, std::chrono::milliseconds timeout = defaultTimeout) {
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

// Runs a program to its end (killed after `timeout`), `input` on its standard input.
inline RunResult run(const QString& program, const QStringList& arguments,
                     std::chrono::milliseconds timeout = defaultTimeout,
                     const QByteArray& input = {}) {
    QProcess process;
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    return finish(process, timeout);
}

// Runs the Qt event loop until `condition` holds; false when `timeout` passes first.
template <typename Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds timeout = defaultTimeout) {
    return QTest::qWaitFor(condition, static_cast<int>(timeout.count()));
}

// The TCP port process `pid` listens on, once it does: a server told to take port 0 gets one of
// the system's choice, and only the system's tables say which.
inline std::optional<quint16> listeningPort(qint64 pid) {
    const std::string proc = "/proc/" + std::to_string(pid);
    std::set<QByteArray> inodes;
    std::error_code error;
    for (std::filesystem::directory_iterator fd(proc + "/fd", error), end; !error && fd != end;
         fd.increment(error)) {
        const std::string target = std::filesystem::read_symlink(fd->path(), error).string();
        if (target.starts_with("socket:[")) {
            inodes.insert(QByteArray::fromStdString(target.substr(8, target.size() - 9)));
        }
    }
    QFile table(QString::fromStdString(proc + "/net/tcp"));
    if (!table.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    // "sl local rem st ... inode": 0A is LISTEN, the local port is hex after the colon.
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 9 && fields[3] == "0A" && inodes.contains(fields[9])) {
            return static_cast<quint16>(fields[1].split(':').value(1).toUShort(nullptr, 16));
        }
    }
    return std::nullopt;
}

} // namespace E2E
