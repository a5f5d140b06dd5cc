#pragma once

#include "store/PreferenceStore.h"
#include "sync/SyncEngine.h"

#include <QDir>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>

// A Radicale of its own on loopback, storing in a temporary folder, with one task
// collection for the user "test".
class Radicale {
public:
    Radicale() {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        port_ = probe.serverPort();
        probe.close();
        const QString collection = dir_.path() + QStringLiteral("/collection-root/test/tasks");
        QDir().mkpath(collection);
        QFile props(collection + QStringLiteral("/.Radicale.props"));
        EXPECT_TRUE(props.open(QIODevice::WriteOnly));
        props.write(R"({"tag": "VCALENDAR", "C:supported-calendar-component-set": "VTODO"})");
        QFile users(dir_.filePath(QStringLiteral("users")));
        EXPECT_TRUE(users.open(QIODevice::WriteOnly));
        users.write("test:secret\n");
    }
    ~Radicale() { stop(); }

    void start() {
        server_.start(QStringLiteral("radicale"),
                      {QStringLiteral("--config"), QString(), QStringLiteral("--server-hosts"),
                       QStringLiteral("127.0.0.1:%1").arg(port_),
                       QStringLiteral("--storage-filesystem-folder"), dir_.path(),
                       QStringLiteral("--auth-type"), QStringLiteral("htpasswd"),
                       QStringLiteral("--auth-htpasswd-filename"),
                       dir_.filePath(QStringLiteral("users")),
                       QStringLiteral("--auth-htpasswd-encryption"), QStringLiteral("plain")});
        for (int i = 0; i < 100; ++i) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, port_);
            if (socket.waitForConnected(100)) {
                return;
            }
            QThread::msleep(100);
        }
        ADD_FAILURE() << "radicale did not start: " << server_.readAllStandardError().toStdString();
    }
    void stop() {
        server_.kill();
        server_.waitForFinished();
    }
    QUrl collection() const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/test/tasks/").arg(port_));
    }
    CalDavClient client(const QString& password = QStringLiteral("secret")) const {
        return CalDavClient(collection(), {QStringLiteral("test"), password},
                            std::chrono::seconds(5));
    }

private:
    QTemporaryDir dir_;
    quint16 port_ = 0;
    QProcess server_;
};

// One machine: its task list and a store of its own for the sync state.
struct Device {
    QTemporaryDir dir;
    PreferenceStore store{dir.path()};
    std::vector<Task> tasks;

    QString sync(CalDavClient client, double at) {
        const SyncEngine::Outcome out =
            SyncEngine::run(client, tasks, SyncState::load(store), Date{at});
        tasks = out.tasks.value_or(tasks);
        EXPECT_TRUE(out.state.save(store));
        return out.failure;
    }
    Task& named(const QString& name) {
        const auto it =
            std::find_if(tasks.begin(), tasks.end(), [&](const Task& t) { return t.name == name; });
        EXPECT_NE(it, tasks.end()) << name.toStdString();
        return it == tasks.end() ? missing : *it;
    }
    // What a failed lookup hands out, so that the test goes on failing instead of crashing.
    Task missing;
};

inline QStringList names(const std::vector<Task>& tasks) {
    QStringList list;
    for (const Task& t : tasks) {
        list.append(t.name + (t.isDone ? QStringLiteral(" (done)") : QString()) +
                    (t.isSnoozed ? QStringLiteral(" (snoozed)") : QString()));
    }
    list.sort();
    return list;
}
