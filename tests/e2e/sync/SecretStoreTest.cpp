// The sync password kept by a real secret store: gnome-keyring on a private session bus, its
// login keyring created and unlocked in a temporary folder.
#include "sync/module/SecretStore.h"
#include "Builders.h"
#include "CalDavServer.h"
#include "Processes.h"
#include "ScopedEnv.h"
#include "SyncDevice.h"
#include "TempConfigHome.h"
#include "panel/SyncSettingsView.h"
#include "store/DBManager.h"
#include "sync/SyncControl.h"
#include "sync/SyncPassword.h"
#include "sync/module/CalDavBackend.h"
#include "tasks/TaskBoard.h"

#include <QAbstractEventDispatcher>
#include <QComboBox>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <csignal>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>

namespace {

// Quenby run with a terminal for its input and output, as someone typing would.
struct OnTerminal {
    QByteArray shown;
    int status = -1;
    bool echoesAfterwards = false;
};

// Types `typed` once `prompt` shows, then reads until the program ends (60 s at most).
OnTerminal onTerminal(const QStringList& arguments, const QByteArray& prompt,
                      const QByteArray& typed) {
    std::vector<QByteArray> words{QByteArrayLiteral(QUENBY_BINARY)};
    for (const QString& a : arguments) {
        words.push_back(a.toUtf8());
    }
    std::vector<char*> argv;
    for (QByteArray& w : words) {
        argv.push_back(w.data());
    }
    argv.push_back(nullptr);
    int terminal = -1;
    const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid == 0) {
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    OnTerminal run;
    const QDeadlineTimer deadline(std::chrono::seconds(60));
    bool asked = false;
    pollfd watched{terminal, POLLIN, 0};
    while (!deadline.hasExpired() &&
           ::poll(&watched, 1, static_cast<int>(deadline.remainingTime())) > 0) {
        char buffer[512];
        const ssize_t count = ::read(terminal, buffer, sizeof buffer);
        if (count <= 0) {
            break; // the program ended
        }
        run.shown.append(buffer, count);
        if (!asked && run.shown.contains(prompt)) {
            asked = true;
            EXPECT_EQ(::write(terminal, typed.constData(), static_cast<std::size_t>(typed.size())),
                      typed.size());
        }
    }
    termios after{};
    run.echoesAfterwards = ::tcgetattr(terminal, &after) == 0 && (after.c_lflag & ECHO) != 0;
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.status = status;
    ::close(terminal);
    return run;
}

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

TEST_F(SecretStore, SetUpAtATerminalAsksWithoutShowingThePassword) {
    ASSERT_NO_FATAL_FAILURE(startKeyring());
    CalDavServer server{CalDavServer::Kind::Radicale};
    server.start();
    const QStringList setUp{"--sync-setup", server.root().toString(), "--user", "test"};
    const QByteArray prompt = "Password for test at 127.0.0.1: ";

    // Interrupted while asking: the terminal echoes again, and nothing was set up.
    const OnTerminal interrupted = onTerminal(setUp, prompt, "sec\x03");
    EXPECT_TRUE(WIFSIGNALED(interrupted.status) && WTERMSIG(interrupted.status) == SIGINT)
        << interrupted.status << interrupted.shown.constData();
    EXPECT_TRUE(interrupted.echoesAfterwards);
    EXPECT_FALSE(interrupted.shown.contains("sec"));
    EXPECT_EQ(inKeyring(server), QString());

    const OnTerminal typed = onTerminal(setUp, prompt, "secret\n");
    EXPECT_TRUE(WIFEXITED(typed.status) && WEXITSTATUS(typed.status) == 0)
        << typed.shown.constData();
    EXPECT_TRUE(typed.shown.startsWith(prompt)) << typed.shown.constData();
    EXPECT_FALSE(typed.shown.contains("secret")) << typed.shown.constData();
    EXPECT_TRUE(typed.echoesAfterwards);
    EXPECT_EQ(inKeyring(server), QStringLiteral("secret"));
}

// The settings window and the service as the running Quenby has them.
TEST_F(SecretStore, TheWindowNeverWaitsForItAndEachSyncReadsItAfresh) {
    ASSERT_NO_FATAL_FAILURE(startKeyring());
    // GLib ends a process whose session bus goes away, as this private one does at the end.
    std::signal(SIGTERM, SIG_IGN);
    CalDavServer server{CalDavServer::Kind::Radicale};
    server.start();
    TaskBoard board{systemNow};
    SyncService service(board, std::make_shared<CalDavBackend>(), PreferenceStore::standard());
    SyncControl control(service, PreferenceStore::standard());
    SyncSettingsView view(control);
    view.serverField()->setText(server.root().toString());
    view.userField()->setText(QStringLiteral("test"));
    view.passwordField()->setText(QStringLiteral("secret"));
    view.findCollections();
    ASSERT_TRUE(E2E::waitUntil([&] { return view.collectionList()->count() == 1; }));

    // This thread runs no event loop inside the call, so nothing can run in its middle.
    const auto returnsAtOnce = [](const std::function<void()>& call) {
        const QObject probe;
        bool waited = false;
        for (const auto signal :
             {&QAbstractEventDispatcher::aboutToBlock, &QAbstractEventDispatcher::awake}) {
            QObject::connect(QAbstractEventDispatcher::instance(), signal, &probe,
                             [&] { waited = true; });
        }
        call();
        return !waited;
    };
    QSignalSpy synced(&service, &SyncService::syncFinished);
    EXPECT_TRUE(returnsAtOnce([&] { view.useCollection(0); }));
    ASSERT_TRUE(E2E::waitUntil([&] { return synced.count() == 1; }));
    EXPECT_EQ(view.statusLine()->text().left(7), QStringLiteral("Synced "));
    EXPECT_EQ(inKeyring(server), QStringLiteral("secret"));

    // A password changed in the secret store counts from the next sync.
    EXPECT_EQ(::SecretStore::store(SyncPassword::entryFor("test", server.root()), "wrong"),
              QString());
    service.syncNow();
    ASSERT_TRUE(E2E::waitUntil([&] { return synced.count() == 2; }));
    EXPECT_EQ(service.status(), QStringLiteral("Sync failed: wrong user name or password"));

    EXPECT_TRUE(returnsAtOnce([&] { control.turnOff(); }));
    EXPECT_TRUE(E2E::waitUntil([&] { return inKeyring(server).isEmpty(); }));
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
