// The real binary in a Wayland session whose shortcuts come from a portal on a private bus:
// Debian's own portal with a fake desktop backend, and a fake portal for what that one cannot
// show (the host registry, an app id refused, a cancelled dialog, a restart).
#include "E2EProcess.h"
#include "tests/support/FileUtil.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>

namespace {

const QString python = QStringLiteral("/usr/bin/python3");
const QString fakes = QStringLiteral(PORTAL_FAKES);
const QString backendName = QStringLiteral("org.freedesktop.impl.portal.desktop.quenbytest");
const QString portalName = QStringLiteral("org.freedesktop.portal.Desktop");
const QString sevenShortcuts =
    QStringLiteral("BindShortcuts add=CTRL+ALT+a done=CTRL+ALT+d hour=CTRL+ALT+h day=CTRL+ALT+1 "
                   "two-days=CTRL+ALT+2 week=CTRL+ALT+w tasks=CTRL+ALT+t");

class PortalE2E : public testing::Test {
protected:
    void SetUp() override {
        QProcess& bus = start(
            QStringLiteral("dbus-daemon"),
            {"--session", "--nofork", "--print-address=1", "--address=unix:dir=" + dir.path()},
            "unix:");
        address = QString::fromUtf8(bus.readAllStandardOutput()).trimmed();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    }
    void TearDown() override {
        for (auto it = processes.rbegin(); it != processes.rend(); ++it) {
            it->kill();
            it->waitForFinished(3000);
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
        EXPECT_TRUE(E2E::waitUntil([&] { return process.peek(4096).contains(ready); }))
            << program.toStdString();
        return process;
    }
    void startFakePortal(const QStringList& options) {
        start(python, QStringList{fakes + "/fake_portal.py", log(), "portal"} + options, "ready");
    }
    // Debian's portal, with a fake desktop backend.
    void startDebianPortal() {
        start(python, {fakes + "/fake_portal.py", log(), "backend", backendName}, "ready");
        QProcessEnvironment desktop; // finds quenbytest.portal beside the fakes
        desktop.insert("XDG_DESKTOP_PORTAL_DIR", fakes);
        desktop.insert("XDG_CURRENT_DESKTOP", "quenbytest");
        start("/usr/libexec/xdg-desktop-portal", {}, "", desktop);
        ASSERT_TRUE(
            E2E::waitUntil([&] { return bus().interface()->isServiceRegistered(portalName); }));
    }
    // The panel in a Wayland session with an X display, on the store in `config`.
    void startQuenby() {
        QProcessEnvironment session;
        session.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        session.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-quenby-test"));
        session.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
        quenby = &start(QStringLiteral(QUENBY_BINARY), {}, "viewDidAppear\n", session);
    }
    bool printed(const QString& line, int times = 1) {
        return E2E::waitUntil([&] {
            output += QString::fromUtf8(quenby->readAllStandardOutput());
            return output.count(line + u'\n') >= times;
        });
    }
    // The calls the fake portal or backend saw, without the parent window.
    QStringList calls() const {
        QStringList lines = QString::fromUtf8(readFile(log())).split(u'\n', Qt::SkipEmptyParts);
        for (QString& line : lines) {
            line = line.section(QStringLiteral(" parent="), 0, 0);
        }
        return lines;
    }
    void activate(const QString& service, const QString& shortcutId, const QString& token = {}) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            service, QStringLiteral("/org/freedesktop/portal/desktop"),
            QStringLiteral("org.quenby.Test"), QStringLiteral("Activate"));
        call << shortcutId << token;
        const QDBusMessage reply = bus().call(call);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    }
    // Presses "done" through the portal: the store changes, with one open task less.
    void expectDoneTakesATask(const QString& service) {
        const QString file = config.path() + "/Quenby/tasksData.data";
        const QByteArray before = readFile(file);
        ASSERT_TRUE(before.contains("\"isDone\":false"));
        activate(service, "done");
        EXPECT_TRUE(E2E::waitUntil([&] { return readFile(file) != before; }));
        EXPECT_LT(readFile(file).count("\"isDone\":false"), before.count("\"isDone\":false"));
    }
    QDBusConnection bus() const { return QDBusConnection::connectToBus(address, address); }
    QString log() const { return dir.filePath(QStringLiteral("calls.log")); }

    QTemporaryDir dir;
    QTemporaryDir config;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QString address;
    std::deque<QProcess> processes;
    QProcess* quenby = nullptr;
    QString output;
};

TEST_F(PortalE2E, DebiansPortalBindsTheSevenShortcutsAndDoneActsOnTheShownTask) {
    startDebianPortal();
    startQuenby();
    ASSERT_TRUE(printed("Shortcuts portal: 7 of 7 shortcuts bound")) << output.toStdString();
    EXPECT_EQ(calls(), QStringList{sevenShortcuts});
    EXPECT_TRUE(readFile(log()).contains(" parent=x11:"));
    expectDoneTakesATask(backendName);
}

TEST_F(PortalE2E, RegistersFirstAndBindsAgainWhenThePortalRestarts) {
    const QStringList options{"--registry", "--require-app-id", "--version", "2"};
    startFakePortal(options);
    startQuenby();
    ASSERT_TRUE(printed("Shortcuts portal: 7 of 7 shortcuts bound")) << output.toStdString();
    EXPECT_TRUE(output.contains("Shortcuts portal: version 2\n"));
    processes[1].kill();
    processes[1].waitForFinished(3000);
    startFakePortal(options);
    ASSERT_TRUE(printed("Shortcuts portal: 7 of 7 shortcuts bound", 2)) << output.toStdString();
    const QStringList once{"Register app.quenby.Quenby first",
                           "CreateSession quenby add done hour day two-days week tasks",
                           sevenShortcuts};
    EXPECT_EQ(calls(), once + once);
    expectDoneTakesATask(portalName);
}

TEST_F(PortalE2E, AddHandsThePortalsActivationTokenToThePanel) {
    startFakePortal({});
    startQuenby();
    ASSERT_TRUE(printed("Shortcuts portal: 7 of 7 shortcuts bound")) << output.toStdString();
    const QString panel = QString::fromUtf8(readFile(log())).section(" parent=x11:", 1).trimmed();
    activate(portalName, "add", "quenby-token-7");
    EXPECT_TRUE(E2E::waitUntil([&] {
        QProcess xprop;
        xprop.start("xprop", {"-id", "0x" + panel, "_NET_STARTUP_ID"});
        xprop.waitForFinished();
        return xprop.readAllStandardOutput().contains("\"quenby-token-7\"");
    })) << panel.toStdString();
}

struct RefusalCase {
    const char* name;
    QStringList options;
    const char* line;
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
    *os << c.name;
}

class PortalRefusal : public PortalE2E, public testing::WithParamInterface<RefusalCase> {};

TEST_P(PortalRefusal, IsSaidForEachShortcut) {
    startFakePortal(GetParam().options);
    startQuenby();
    ASSERT_TRUE(printed("Shortcuts portal: 0 of 7 shortcuts bound")) << output.toStdString();
    EXPECT_TRUE(output.contains(GetParam().line)) << output.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    , PortalRefusal,
    testing::Values(RefusalCase{"NoAppId",
                                {"--require-app-id"},
                                "Hot key Ctrl+Alt+D refused: the portal refused: An app id is "
                                "required\n"},
                    RefusalCase{"Cancelled",
                                {"--bind-response", "1"},
                                "Hot key Ctrl+Alt+W refused: the desktop's shortcut dialog was "
                                "cancelled\n"}));

} // namespace
