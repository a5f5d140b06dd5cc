// The real binary's windows as the window manager sees them (each test runs under openbox and
// again under xfwm4): which window gets the keyboard, what minimizing does, what stays above.
#include "QuenbyE2E.h"
#include "tests/support/ScopedEnv.h"

namespace {

QString property(const QString& window, const QString& name) {
    return E2E::run("xprop", {"-id", window, name}).output.trimmed();
}
bool isIconic(const QString& window) {
    return property(window, "WM_STATE").contains("Iconic");
}
QString hex(const QString& decimal) {
    return QStringLiteral("0x%1").arg(decimal.toULong(), 0, 16);
}
// The managed windows from the bottom of the stack to the top.
QStringList stacking() {
    return E2E::run("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"})
        .output.section(u'#', 1)
        .simplified()
        .split(", ");
}

void minimize(const QString& list) {
    ASSERT_TRUE(xdotool({"windowminimize", list}));
    ASSERT_TRUE(E2E::waitUntil([&] { return isIconic(list); }, E2E::patience));
}
bool isBack(const QString& list) {
    return E2E::waitUntil(
        [&] { return !isIconic(list) && QString::number(focusedWindow()) == list; }, E2E::patience);
}

} // namespace

using WindowsE2E = ShortcutsE2E;

// At scale 2; each scale's pictures: LooksE2E.
TEST_F(WindowsE2E, SettingsAboveThePanelAMinimizedTaskListComesBackAndItsEditAlertLetsAnAddIn) {
    ASSERT_TRUE(writeFile(storeFile(), *Json::encodeTasks({makeTask("pay rent", 7e8)})));
    startBoth("2");
    // The line comes as the panel shows; on a busy machine it is mapped a moment later.
    QString panel;
    ASSERT_TRUE(E2E::waitUntil([&] {
        panel = quenby->panelWindow();
        return !panel.isEmpty();
    }));
    // From another application into the panel, then its settings by keyboard: transient for
    // the panel and stacked above it.
    ASSERT_TRUE(openFromPanel("ctrl+comma", "Quenby Settings")) << quenby->output.constData();
    const QString settings = E2E::windowNamed("Quenby Settings");
    EXPECT_EQ(property(settings, "WM_TRANSIENT_FOR"),
              "WM_TRANSIENT_FOR(WINDOW): window id # " + hex(panel));
    EXPECT_TRUE(E2E::waitUntil(
        [&] {
            const QStringList stack = stacking();
            return stack.indexOf(hex(settings)) > stack.indexOf(hex(panel)) &&
                   stack.indexOf(hex(panel)) >= 0;
        },
        E2E::patience))
        << stacking().join(u' ').toStdString();
    E2E::screenshot("0", SCREENSHOT_DIR,
                    QStringLiteral("settings-above-panel-%1-scale-2").arg(WINDOW_MANAGER));
    ASSERT_TRUE(closeWith("Escape", "Quenby Settings"));

    ASSERT_TRUE(press("ctrl+alt+t") && waitForFocusOn("Tasks")) << quenby->output.constData();
    const QString list = QString::number(focusedWindow());
    // The panel carries the application's icon in each size drawn for it.
    EXPECT_TRUE(E2E::waitUntil([&] {
        return property(panel, "_NET_WM_ICON").count("Icon (") == 5;
    })) << property(panel, "_NET_WM_ICON").left(300).toStdString();
    minimize(list);
    // Once the manager has handled a later request, it has handled the minimizing in full.
    ASSERT_TRUE(activateOther());
    EXPECT_FALSE(isIconic(panel));
    EXPECT_TRUE(E2E::run("xwininfo", {"-id", panel}).output.contains("Map State: IsViewable"));
    {
        const ScopedEnv home("XDG_CONFIG_HOME", config.path().toUtf8());
        const auto [status, output] = E2E::run(QUENBY_BINARY, {"--action", "tasks"}, E2E::patience);
        EXPECT_EQ(std::pair(status, output), std::pair(0, QString("The task list is open\n")));
    }
    EXPECT_TRUE(isBack(list)) << "after the command";

    minimize(list);
    ASSERT_TRUE(press("ctrl+alt+t"));
    EXPECT_TRUE(isBack(list)) << "after the shortcut";

    // Its edit alert open, the add shortcut types into the panel.
    ASSERT_TRUE(press("Down"));
    ASSERT_TRUE(E2E::retrying(
        [] { return press("alt+e"); },
        [&] { return focusedName() == "Quenby" && QString::number(focusedWindow()) != panel; }))
        << "the edit alert is open";
    ASSERT_TRUE(activateOther());

    ASSERT_TRUE(press("ctrl+alt+a"));
    ASSERT_TRUE(
        E2E::waitUntil([&] { return QString::number(focusedWindow()) == panel; }, E2E::patience))
        << "the panel has the keyboard, not the alert";
    ASSERT_TRUE(type("Buy milk") && press("Return"));
    EXPECT_TRUE(waitForStore([](const auto& s) { return find(s, "Buy milk"); }))
        << quenby->output.constData();
    EXPECT_TRUE(find(stored(), "pay rent")) << "the edited task keeps its text";
}
