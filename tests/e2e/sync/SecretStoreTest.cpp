// The sync password kept by a real secret store: gnome-keyring on a private session bus, its
// login keyring created and unlocked in a temporary folder; and the settings window's Sync
// section that sets it up.
#include "sync/module/SecretStore.h"
#include "CalDavServer.h"
#include "QuenbyProcess.h"
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
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>

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
    std::ranges::transform(words, std::back_inserter(argv), [](QByteArray& w) { return w.data(); });
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

// The sync as the settings window drives it in the running Quenby.
struct SyncStack {
    TaskBoard board{systemNow};
    SyncService service{board, std::make_shared<CalDavBackend>(), PreferenceStore::standard()};
    SyncControl control{service, PreferenceStore::standard()};
};

class SecretStore : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.start()); }
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
    QString inKeyring() {
        return E2E::run("secret-tool", {"lookup", "server", "Quenby sync", "user",
                                        SyncPassword::entryFor("test", server.root())})
            .output;
    }
    TempConfigHome home_;
    CalDavServer server{CalDavServer::Kind::Radicale};
    QTemporaryDir dir_;
    QProcess bus_;
    QProcess keyring_;
    std::optional<ScopedEnv> busAddress_;
};

// Through the sync module the binary loads: set up at a terminal, the password kept in the
// store and nowhere else, read by the set-up's sync and removed by stopping it; without the
// store, no set-up.
TEST_F(SecretStore, SetUpAtATerminalAsksWithoutShowingThePasswordAndSyncOffRemovesIt) {
    ASSERT_NO_FATAL_FAILURE(startKeyring());
    DBManager::saveTaskList({makeTask("Pay rent", 10)});
    const QStringList setUp{"--sync-setup", server.root().toString(), "--user", "test"};
    const QByteArray prompt = "Password for test at 127.0.0.1: ";

    // Interrupted while asking: the terminal echoes again, and nothing was set up.
    const OnTerminal interrupted = onTerminal(setUp, prompt, "sec\x03");
    EXPECT_TRUE(WIFSIGNALED(interrupted.status) && WTERMSIG(interrupted.status) == SIGINT)
        << interrupted.status << interrupted.shown.constData();
    EXPECT_TRUE(interrupted.echoesAfterwards);
    EXPECT_FALSE(interrupted.shown.contains("sec"));
    EXPECT_EQ(inKeyring(), QString());

    const OnTerminal typed = onTerminal(setUp, prompt, "secret\n");
    EXPECT_EQ(std::tuple(WIFEXITED(typed.status) && WEXITSTATUS(typed.status) == 0,
                         typed.shown.startsWith(prompt) && typed.shown.contains("\nSynced "),
                         typed.shown.contains("secret"), typed.echoesAfterwards),
              std::tuple(true, true, false, true))
        << typed.status << typed.shown.constData();
    EXPECT_EQ(inKeyring(), "secret");
    // No file of Quenby's holds it.
    EXPECT_EQ(E2E::run("grep", {"-rl", "secret", home_.storeDir()}).output, QString());

    const auto stored = [&](const char* name) { return QFile::exists(home_.storeFile(name)); };
    EXPECT_TRUE(stored("syncState.data"));
    const QStringList before = marked(DBManager::getTaskList());
    const E2E::RunResult off = runQuenby({"--sync-off"});
    EXPECT_EQ(std::pair(off.exitCode, off.output),
              std::pair(0, QStringLiteral("Sync stopped; every task stays here\n")));
    EXPECT_EQ(inKeyring(), QString());
    EXPECT_EQ(marked(DBManager::getTaskList()), before);
    EXPECT_FALSE(stored("syncAccount.data") || stored("syncState.data"));
    EXPECT_EQ(runQuenby({"--sync-now"}).output, QStringLiteral("Sync is not set up\n"));

    // With the secret store out of reach the set-up says so.
    const ScopedEnv noBus("DBUS_SESSION_BUS_ADDRESS",
                          "unix:path=" + dir_.path().toUtf8() + "/none");
    const E2E::RunResult refused = runQuenby(setUp, "secret\n");
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(
        refused.output.startsWith("Sync not set up: the secret store refused the password ("))
        << refused.output.toStdString();
}

// The settings window: a plain address elsewhere refused, the collections found offered, and
// the password neither waited for nor kept but in the secret store, read afresh at each sync.
using SettingsWindow = SecretStore;

TEST_F(SettingsWindow, RefusesAPlainAddressElsewhereListsTheCollectionsAndNeverWaits) {
    ASSERT_NO_FATAL_FAILURE(startKeyring());
    // GLib ends a process whose session bus goes away, as this private one does at the end.
    std::signal(SIGTERM, SIG_IGN);
    server.addRadicaleCollection("errands",
                                 R"({"tag": "VCALENDAR", "D:displayname": "Errands",
                                     "C:supported-calendar-component-set": "VTODO"})");
    SyncStack sync;
    SyncSettingsView view(sync.control);
    view.serverField()->setText("http://tasks.example.org/");
    view.findCollections();
    EXPECT_EQ(view.statusLine()->text(),
              QStringLiteral("Address refused: only https, or plain http to this machine, "
                             "carries the password"));
    view.serverField()->setText(server.root().toString());
    view.userField()->setText("test");
    view.passwordField()->setText("secret");
    view.findCollections();
    ASSERT_TRUE(E2E::waitUntil([&] { return view.collectionList()->count() == 2; }));
    QStringList shown{view.collectionList()->itemText(0), view.collectionList()->itemText(1)};
    shown.sort();
    EXPECT_EQ(shown, QStringList({"Errands", "tasks"}));
    EXPECT_EQ(view.statusLine()->text(), "Choose the collection to sync with");

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
    QSignalSpy synced(&sync.service, &SyncService::syncFinished);
    EXPECT_TRUE(
        returnsAtOnce([&] { view.useCollection(view.collectionList()->findText("tasks")); }));
    ASSERT_TRUE(E2E::waitUntil([&] { return synced.count() == 1; }));
    EXPECT_EQ(view.statusLine()->text().left(7), "Synced ");
    EXPECT_EQ(inKeyring(), "secret");

    // A password changed in the secret store counts from the next sync.
    EXPECT_EQ(::SecretStore::store(SyncPassword::entryFor("test", server.root()), "wrong"),
              QString());
    sync.service.syncNow();
    ASSERT_TRUE(E2E::waitUntil([&] { return synced.count() == 2; }));
    EXPECT_EQ(sync.service.status(), "Sync failed: wrong user name or password");

    EXPECT_TRUE(returnsAtOnce([&] { sync.control.turnOff(); }));
    EXPECT_TRUE(E2E::waitUntil([&] { return inKeyring().isEmpty(); }));
}

// A server that takes the request and never answers keeps the search waiting.
TEST(SyncSettingsView, ClosingItGivesUpTheSearchAtOnce) {
    const TempConfigHome home;
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    SyncStack sync;
    auto view = std::make_unique<SyncSettingsView>(sync.control);
    view->serverField()->setText(QStringLiteral("http://127.0.0.1:%1/").arg(silent.serverPort()));
    view->userField()->setText("test");
    view->findCollections();
    ASSERT_TRUE(E2E::waitUntil([&] { return silent.hasPendingConnections(); }));
    QTcpSocket* request = silent.nextPendingConnection();
    ASSERT_TRUE(E2E::waitUntil([&] { return request->bytesAvailable() > 0; }));

    view.reset();
    // Well before the search's own 30 s: nothing is left waiting on the server.
    EXPECT_TRUE(
        E2E::waitUntil([&] { return request->state() == QAbstractSocket::UnconnectedState; },
                       std::chrono::seconds(10)));
}

} // namespace
