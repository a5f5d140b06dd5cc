// The sync password kept by a real secret store: gnome-keyring on a private session bus, its
// login keyring created and unlocked in a temporary folder.
#include "Builders.h"
#include "CalDavServer.h"
#include "Processes.h"
#include "ScopedEnv.h"
#include "SyncDevice.h"
#include "TempConfigHome.h"
#include "store/DBManager.h"
#include "sync/SyncPassword.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDirIterator>

#include <gtest/gtest.h>

namespace {

class SecretStore : public testing::Test {
protected:
    E2E::RunResult quenby(const QStringList& arguments, const QByteArray& input = {}) {
        return E2E::run(QStringLiteral(QUENBY_BINARY), arguments, std::chrono::seconds(30), input);
    }
    // The bus and the keyring's daemon, for this test alone.
    void startKeyring() {
        bus_.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1",
                                                   "--address=unix:dir=" + dir_.path()});
        ASSERT_TRUE(E2E::waitUntil([&] { return bus_.canReadLine(); }));
        const QString address = QString::fromUtf8(bus_.readLine()).trimmed();
        busAddress_.emplace("DBUS_SESSION_BUS_ADDRESS", address.toUtf8());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"HOME", "XDG_RUNTIME_DIR", "XDG_DATA_HOME"}) {
            env.insert(name, dir_.path());
        }
        keyring_.setProcessEnvironment(env);
        keyring_.start(QStringLiteral("gnome-keyring-daemon"),
                       {"--foreground", "--components=secrets", "--unlock"});
        keyring_.write("login password");
        keyring_.closeWriteChannel();
        const QDBusConnection watch = QDBusConnection::connectToBus(address, "keyring");
        ASSERT_TRUE(E2E::waitUntil([&] {
            return watch.interface()->isServiceRegistered("org.freedesktop.secrets").value();
        }));
    }
    void TearDown() override {
        QDBusConnection::disconnectFromBus("keyring");
        for (QProcess* process : {&keyring_, &bus_}) {
            process->kill();
            process->waitForFinished();
        }
    }
    // What the secret store holds for the account, or the empty string.
    QString inKeyring(const CalDavServer& server) {
        return E2E::run("secret-tool", {"lookup", "server", "Quenby sync", "user",
                                        SyncPassword::entryFor("test", server.root())})
            .output;
    }
    QStringList filesHolding(const QByteArray& text) const {
        QStringList found;
        for (QDirIterator it(home_.storeDir(), QDir::Files, QDirIterator::Subdirectories);
             it.hasNext();) {
            QFile file(it.next());
            if (file.open(QIODevice::ReadOnly) && file.readAll().contains(text)) {
                found.append(file.fileName());
            }
        }
        return found;
    }

    TempConfigHome home_;
    QTemporaryDir dir_;
    QProcess bus_;
    QProcess keyring_;
    std::optional<ScopedEnv> busAddress_;
};

TEST_F(SecretStore, SetUpKeepsThePasswordThereSyncReadsItAndSyncOffRemovesIt) {
    ASSERT_NO_FATAL_FAILURE(startKeyring());
    CalDavServer server{CalDavServer::Kind::Radicale};
    server.start();
    const E2E::RunResult setUp =
        quenby({"--sync-setup", server.root().toString(), "--user", "test"}, "secret\n");
    EXPECT_EQ(setUp.exitCode, 0) << setUp.output.toStdString();
    EXPECT_EQ(inKeyring(server), QStringLiteral("secret"));
    EXPECT_EQ(filesHolding("secret"), QStringList());

    DBManager::saveTaskList({makeTask(QStringLiteral("Pay rent"), 10)});
    const E2E::RunResult now = quenby({"--sync-now"});
    EXPECT_EQ(now.exitCode, 0) << now.output.toStdString();
    Device phone;
    EXPECT_EQ(phone.sync(server.client(), 1e9), QString());
    EXPECT_EQ(marked(phone.tasks), QStringList{QStringLiteral("Pay rent")});

    EXPECT_EQ(quenby({"--sync-off"}).exitCode, 0);
    EXPECT_EQ(inKeyring(server), QString());
}

TEST_F(SecretStore, SetUpWithoutOneSaysSo) {
    const ScopedEnv noBus("DBUS_SESSION_BUS_ADDRESS",
                          "unix:path=" + dir_.path().toUtf8() + "/none");
    CalDavServer server{CalDavServer::Kind::Radicale};
    server.start();
    const E2E::RunResult setUp =
        quenby({"--sync-setup", server.root().toString(), "--user", "test"}, "secret\n");
    EXPECT_EQ(setUp.exitCode, 1);
    EXPECT_TRUE(setUp.output.startsWith("Sync not set up: the secret store refused the password ("))
        << setUp.output.toStdString();
}

} // namespace
