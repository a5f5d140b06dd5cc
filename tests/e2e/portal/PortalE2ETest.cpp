// The real binary in a Wayland session whose shortcuts come from a portal on a private bus:
// Debian's own portal with a fake desktop backend, and a fake portal for what that one cannot
// show (the host registry, an app id refused, a cancelled dialog, a restart, sessions refused
// or closed). At login the portal is started by the bus on Quenby's first call.
#include "E2EProcess.h"
#include "tests/support/FileUtil.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>
#include <functional>

namespace {

const QString python = QStringLiteral("/usr/bin/python3");
const QString fakes = QStringLiteral(PORTAL_FAKES);
const QString backendName = QStringLiteral("org.freedesktop.impl.portal.desktop.quenbytest");
const QString portalName = QStringLiteral("org.freedesktop.portal.Desktop");
const QString sevenShortcuts =
    QStringLiteral("BindShortcuts add=CTRL+ALT+a done=CTRL+ALT+d hour=CTRL+ALT+h day=CTRL+ALT+1 "
                   "two-days=CTRL+ALT+2 week=CTRL+ALT+w tasks=CTRL+ALT+t");
const QString sessionAsked = QStringLiteral("CreateSession add done hour day two-days week tasks");
// Retries and a portal started at login take seconds, more on a loaded machine.
constexpr std::chrono::seconds patience{30};

class PortalE2E : public testing::Test {
protected:
    // A session's bus, which activates services from $XDG_RUNTIME_DIR/dbus-1/services first.
    void SetUp() override {
        env.insert("XDG_RUNTIME_DIR", dir.path());
        QProcess& bus = start(
            "dbus-daemon", {"--session", "--nofork", "--nopidfile", "--print-address=1"}, "unix:");
        address = QString::fromUtf8(bus.readAllStandardOutput()).trimmed();
        env.insert("DBUS_SESSION_BUS_ADDRESS", address);
    }
    void TearDown() override { stopFrom(0); }
    // Stops the processes started from the `first`th on, the last first.
    void stopFrom(std::size_t first) {
        while (processes.size() > first) {
            processes.back().kill();
            processes.back().waitForFinished(3000);
            processes.pop_back();
        }
    }

    // A process on the private bus, once it printed `ready`.
    QProcess& start(const QString& program, const QStringList& arguments, const char* ready,
                    const QProcessEnvironment& extra = {}) {
        QProcess& process = processes.emplace_back();
        QProcessEnvironment all = env;
        all.insert(extra);
        process.setProcessEnvironment(all);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(program, arguments);
        EXPECT_TRUE(E2E::waitUntil([&] { return process.peek(4096).contains(ready); }, patience))
            << program.toStdString();
        return process;
    }
    QStringList fakePortal(const QStringList& options) const {
        return QStringList{python, fakes + "/fake_portal.py", log(), "portal"} + options;
    }
    void startFakePortal(const QStringList& options) {
        start(python, fakePortal(options).mid(1), "ready");
    }
    // The bus starts `command` when `name` is first called, as a login's bus starts the portal.
    void activatable(const QString& name, const QStringList& command) {
        ASSERT_TRUE(writeFile(
            dir.filePath("dbus-1/services/" + name + ".service"),
            ("[D-BUS Service]\nName=" + name + "\nExec=" + command.join(u' ') + "\n").toUtf8()));
        const QDBusMessage reload = bus().call(
            QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                           "org.freedesktop.DBus", "ReloadConfig"));
        ASSERT_EQ(reload.type(), QDBusMessage::ReplyMessage) << reload.errorMessage().toStdString();
    }
    // The panel in a Wayland session with an X display, on the store in `config`.
    void startQuenby() {
        QProcessEnvironment session;
        session.insert("XDG_CONFIG_HOME", config.path());
        session.insert("WAYLAND_DISPLAY", "wayland-quenby-test");
        session.insert("XDG_SESSION_TYPE", "wayland");
        // No platform asked for: Quenby picks XWayland itself, as in a user's session.
        session.insert("QT_QPA_PLATFORM", QString());
        // The desktop the fake backend was made for, whatever backends this machine has.
        session.insert("XDG_DESKTOP_PORTAL_DIR", fakes);
        session.insert("XDG_CURRENT_DESKTOP", currentDesktop);
        quenby = &start(QStringLiteral(QUENBY_BINARY), {}, "viewDidAppear\n", session);
    }
    bool printed(const QString& line, int times = 1) {
        return E2E::waitUntil(
            [&] {
                output += QString::fromUtf8(quenby->readAllStandardOutput());
                return output.count(line + u'\n') >= times;
            },
            patience);
    }
    // The calls the fake portal or backend saw, without the parent window.
    QStringList calls() const {
        return QString::fromUtf8(readFile(log()))
            .remove(QRegularExpression(" parent=[^\n]*"))
            .split(u'\n', Qt::SkipEmptyParts);
    }
    // A call to the fakes' own test interface: "Activate" a shortcut id with a token, or
    // "CloseSession".
    void fakeCall(const QString& service, const QString& member, const QVariantList& arguments) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            service, "/org/freedesktop/portal/desktop", "org.quenby.Test", member);
        call.setArguments(arguments);
        const QDBusMessage reply = bus().call(call);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    }
    // Done, pressed by `press`: the store changes, with one open task less.
    void expectDoneTakesATask(const std::function<void()>& press) {
        const QString file = config.path() + "/Quenby/tasksData.data";
        // Pressed once the first start has stored its list, so its save is not taken for Done's.
        QByteArray before;
        const auto stored = [&] { return (before = readFile(file)).contains("\"isDone\":false"); };
        ASSERT_TRUE(E2E::waitUntil(stored, patience));
        press();
        EXPECT_TRUE(E2E::waitUntil([&] { return readFile(file) != before; }, patience));
        EXPECT_LT(readFile(file).count("\"isDone\":false"), before.count("\"isDone\":false"));
    }
    QDBusConnection bus() const { return QDBusConnection::connectToBus(address, address); }
    QString log() const { return dir.filePath("calls.log"); }

    QTemporaryDir dir;
    QTemporaryDir config;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QString address;
    std::deque<QProcess> processes;
    QProcess* quenby = nullptr;
    QString output;
    QString currentDesktop = "quenbytest";
};

// Registered first; a refused session is asked for again after growing pauses, a closed one at
// once, and everything is bound again when the portal restarts.
TEST_F(PortalE2E, RegistersFirstAndBindsAgainAfterARefusalAClosedSessionOrARestart) {
    startFakePortal({"--registry", "--require-app-id", "--version", "2", "--refuse-sessions", "2"});
    startQuenby();
    ASSERT_TRUE(printed("Shortcuts portal: 7 of 7 shortcuts bound")) << output.toStdString();
    EXPECT_TRUE(output.contains("Shortcuts portal: version 2\n"));
    EXPECT_TRUE(output.contains("Shortcuts portal: trying again in 1 s (retry 1 of 6)\n"
                                "Hot key Ctrl+Alt+A refused: the portal refused: no session\n"));
    EXPECT_TRUE(output.contains("Shortcuts portal: trying again in 2 s (retry 2 of 6)\n"));
    fakeCall(portalName, "CloseSession", {});
    ASSERT_TRUE(printed("Shortcuts portal: 7 of 7 shortcuts bound", 2)) << output.toStdString();
    EXPECT_TRUE(output.contains("Hot key Ctrl+Alt+T refused: the desktop closed the session\n"));
    processes[1].kill();
    processes[1].waitForFinished(3000);
    startFakePortal({"--registry", "--require-app-id"});
    ASSERT_TRUE(printed("Shortcuts portal: 7 of 7 shortcuts bound", 3)) << output.toStdString();
    const QStringList registered{"Register app.quenby.Quenby first"};
    const QStringList bound{sessionAsked, sevenShortcuts};
    const QString refused = sessionAsked + " refused";
    const QStringList asked = registered + QStringList{refused, refused};
    EXPECT_EQ(calls(), asked + bound + bound + registered + bound);
    expectDoneTakesATask([&] { fakeCall(portalName, "Activate", {"done", ""}); });
}

// A refused or cancelled binding is said for each shortcut.
TEST_F(PortalE2E, ARefusalIsSaidForEachShortcut) {
    const std::pair<QStringList, QStringList> refusals[] = {
        {{"--require-app-id"},
         {"Hot key Ctrl+Alt+D refused: the portal refused: An app id is required",
          "Shortcuts portal: trying again in 1 s (retry 1 of 6)"}},
        {{"--bind-response", "1"},
         {"Hot key Ctrl+Alt+W refused: the desktop's shortcut dialog was cancelled",
          "Shortcuts portal: nothing bound (the desktop's shortcut dialog was cancelled); bind "
          "keys to `quenby --action …` in the desktop's own shortcut settings instead"}}};
    for (const auto& [options, lines] : refusals) {
        SCOPED_TRACE(options.join(u' ').toStdString());
        stopFrom(1); // the last case's portal and panel
        output.clear();
        startFakePortal(options);
        startQuenby();
        ASSERT_TRUE(printed("Shortcuts portal: 0 of 7 shortcuts bound")) << output.toStdString();
        for (const QString& line : lines) {
            EXPECT_TRUE(printed(line)) << output.toStdString();
        }
    }
}

// At login Quenby's first call is what starts the portal, which takes its time: one session is
// asked for, once, and everything is bound, for the panel's X window. Done acts on the shown
// task; Add hands the portal's activation token to the panel. With Debian's portal or ours.
class PortalAtLogin : public PortalE2E, public testing::WithParamInterface<bool> {};

TEST_P(PortalAtLogin, StartedByQuenbysFirstCallBindsEverythingOnce) {
    const QString delay = "1.5";
    const bool debiansPortal = GetParam();
    if (debiansPortal) {
        activatable(portalName, {"/usr/bin/env", "XDG_DESKTOP_PORTAL_DIR=" + fakes,
                                 "XDG_CURRENT_DESKTOP=quenbytest", "/bin/sh", "-c",
                                 "'sleep " + delay + " && exec /usr/libexec/xdg-desktop-portal'"});
        activatable(backendName,
                    {python, fakes + "/fake_portal.py", log(), "backend", backendName});
    } else {
        activatable(portalName, fakePortal({"--start-delay", delay}));
    }
    startQuenby();
    ASSERT_TRUE(printed("Shortcuts portal: 7 of 7 shortcuts bound")) << output.toStdString();
    EXPECT_TRUE(output.startsWith("Session: Wayland, the panel runs through XWayland\n"));
    const QString service = debiansPortal ? backendName : portalName;
    expectDoneTakesATask([&] { fakeCall(service, "Activate", {"done", ""}); });
    const QString panel = QString::fromUtf8(readFile(log())).section(" parent=x11:", 1).trimmed();
    fakeCall(service, "Activate", {"add", "quenby-token-7"});
    EXPECT_TRUE(E2E::waitUntil([&] {
        return E2E::run("xprop", {"-id", "0x" + panel, "_NET_STARTUP_ID"})
            .output.contains("\"quenby-token-7\"");
    })) << panel.toStdString();
    EXPECT_EQ(output.count("Shortcuts portal: version "), 1) << output.toStdString();
    const QStringList expected =
        debiansPortal ? QStringList{sevenShortcuts} : QStringList{sessionAsked, sevenShortcuts};
    EXPECT_EQ(calls(), expected);
}

INSTANTIATE_TEST_SUITE_P(, PortalAtLogin, testing::Bool(), [](const auto& test) {
    return test.param ? "DebiansPortal" : "FakePortal";
});

// Under sway with KDE's backend installed the portal falls back to it, and nothing delivers its
// keys: the X11 grabs are used instead, and the line says what to bind.
TEST_F(PortalE2E, AnotherDesktopsBackendIsPassedOverForX11Grabs) {
    // Debian's portal, with a fake desktop backend.
    start(python, {fakes + "/fake_portal.py", log(), "backend", backendName}, "ready");
    QProcessEnvironment desktop; // finds quenbytest.portal beside the fakes
    desktop.insert("XDG_DESKTOP_PORTAL_DIR", fakes);
    desktop.insert("XDG_CURRENT_DESKTOP", "quenbytest");
    start("/usr/libexec/xdg-desktop-portal", {}, "", desktop);
    ASSERT_TRUE(E2E::waitUntil([&] { return bus().interface()->isServiceRegistered(portalName); }));
    currentDesktop = "sway";
    startQuenby();
    ASSERT_TRUE(printed("Shortcuts portal: not used: its shortcuts would come from the backend for "
                        "quenbytest, which delivers no keys on this desktop (sway); bind keys to "
                        "`quenby --action …` in the desktop's own shortcut settings instead"))
        << output.toStdString();
    expectDoneTakesATask([] { EXPECT_EQ(E2E::run("xdotool", {"key", "ctrl+alt+d"}).exitCode, 0); });
    EXPECT_EQ(calls(), QStringList{});
}

} // namespace
