// The real binary on a private X display with a window manager: its global shortcuts work
// from inside another application, which keeps (or gets back) the keyboard focus.
#include "QuenbyE2E.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <X11/keysym.h>

TEST_F(ShortcutsE2E, AKeyChangedInTheSettingsWorksAtOnce) {
    startBoth();
    // Into the panel, then its settings by keyboard.
    ASSERT_TRUE(xdotool({"key", "ctrl+alt+a"}));
    ASSERT_TRUE(E2E::waitUntil([&] { return focusedWindow() != other->windowId(); }));
    ASSERT_TRUE(xdotool({"key", "ctrl+comma"}));
    ASSERT_TRUE(xdotool({"search", "--sync", "--name", "^Quenby Settings$"}));
    // The first list is the add action's: Z, then save.
    ASSERT_TRUE(E2E::waitUntil([&] {
        return E2E::run("xdotool", {"getwindowfocus", "getwindowname"}).output.trimmed() ==
               "Quenby Settings";
    }));
    ASSERT_TRUE(xdotool({"key", "z"}));
    ASSERT_TRUE(quenby->waitForLine("comboBoxSelectionDidChange: 0, value: Z"));
    // Save through its mnemonic; a keystroke lost to a busy machine is pressed again.
    const QString keyIndexes = config.path() + "/Quenby/keyIndexes.ints";
    bool saved = false;
    for (int attempt = 0; attempt < 3 && !saved; ++attempt) {
        ASSERT_TRUE(xdotool({"key", "alt+s"}));
        saved = E2E::waitUntil([&] { return readFile(keyIndexes) == "[25,3,7,27,28,22,19]"; });
    }
    ASSERT_TRUE(saved) << quenby->output.constData();

    ASSERT_TRUE(xdotool({"windowactivate", "--sync", QString::number(other->windowId())}));
    ASSERT_TRUE(E2E::waitUntil([&] { return focusedWindow() == other->windowId(); }));
    const qsizetype aBefore = other->keyPresses(XK_a);
    ASSERT_TRUE(xdotool({"key", "ctrl+alt+a"}));
    EXPECT_TRUE(other->waitForKeyPresses(XK_a, aBefore + 1)) << "the old key is free again";

    ASSERT_NO_FATAL_FAILURE(
        pressUntil("ctrl+alt+z", XK_z, [&] { return focusedWindow() != other->windowId(); }));
    ASSERT_TRUE(xdotool({"type", "--delay", "20", "via Z"}));
    ASSERT_TRUE(xdotool({"key", "Return"}));
    EXPECT_TRUE(waitForStore([](const auto& tasks) { return find(tasks, "via Z"); }));
}

TEST_F(ShortcutsE2E, NothingAcknowledgedIsLostToAHardKill) {
    ASSERT_TRUE(writeFile(storeFile(), *Json::encodeTasks({makeTask("survives", 700000000.0)})));
    startBoth();
    ASSERT_TRUE(xdotool({"key", "ctrl+alt+d"}));
    ASSERT_TRUE(waitForStore(
        [](const auto& s) { return find(s, "survives") && find(s, "survives")->isDone; }));
    quenby->killHard();

    quenby = std::make_unique<Quenby>(config.path());
    ASSERT_TRUE(quenby->waitForLine("viewDidAppear"));
    const std::vector<Task> after = stored();
    const Task* back = find(after, "survives");
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(back->isDone);
    EXPECT_TRUE(back->doneDate.has_value());
}

// On a 1280×800 screen at each scale factor: centred at the first start, never off the screen,
// and found where it was left after a restart.
class ScaledPanelE2E : public ShortcutsE2E, public testing::WithParamInterface<const char*> {};

TEST_P(ScaledPanelE2E, IsPlacedInLogicalPixelsAndKeptOnScreen) {
    const QString scale = QString::fromLatin1(GetParam());
    const double factor = scale.toDouble();
    const QRect screen(0, 0, 1280, 800);
    quenby = std::make_unique<Quenby>(config.path(), QString(), scale);
    ASSERT_TRUE(quenby->waitForLine("viewDidAppear"));
    QRect panel;
    ASSERT_TRUE(E2E::waitUntil([&] { return (panel = quenby->panelGeometry()).width() > 0; }));
    // Centred in logical pixels, or at the left edge when wider than the screen.
    const double logicalLeft = std::max(0.0, (1280 / factor - panel.width() / factor) / 2);
    EXPECT_NEAR(panel.x(), logicalLeft * factor, factor + 1) << "panel " << panel.x();
    EXPECT_GE(panel.y(), 0);
    QDir().mkpath(QStringLiteral(SCREENSHOT_DIR));
    QGuiApplication::primaryScreen()
        ->grabWindow(quenby->panelWindow().toULongLong())
        .save(QStringLiteral(SCREENSHOT_DIR "/panel-scale-%1.png").arg(scale));

    // A place left far off the screen comes back onto it; a place on it is kept exactly.
    for (const QPoint stored : {QPoint(5000, 5000), QPoint(20, 30)}) {
        quenby.reset();
        ASSERT_TRUE(writeFile(config.path() + "/Quenby/panelOrigin.ints",
                              '[' + QByteArray::number(stored.x()) + ',' +
                                  QByteArray::number(stored.y()) + ']'));
        quenby = std::make_unique<Quenby>(config.path(), QString(), scale);
        ASSERT_TRUE(quenby->waitForLine("viewDidAppear"));
        // Exactly there, unless the panel is wider than the screen at this scale.
        const auto kept = [&] {
            return stored.x() > 1000 ||
                   (std::abs(panel.x() -
                             (panel.width() <= screen.width() ? stored.x() * factor : 0)) <= 2 &&
                    std::abs(panel.y() - stored.y() * factor) <= 2);
        };
        EXPECT_TRUE(E2E::waitUntil([&] {
            panel = quenby->panelGeometry();
            return panel.width() > 0 && screen.contains(panel.topLeft()) && kept();
        })) << panel.x()
            << "," << panel.y() << " at scale " << scale.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Factors, ScaledPanelE2E, testing::Values("1", "1.5", "2"), [](const auto& param) {
        return QString::fromLatin1(param.param).replace('.', '_').toStdString();
    });
