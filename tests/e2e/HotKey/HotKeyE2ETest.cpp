// Global shortcuts against a real X server: this program registers through X11HotKeyService on
// a private Xvfb display (openbox managing it) while another client's window has the focus, and
// xdotool presses the keys.
#include "E2EProcess.h"
#include "HotKey/DefaultHotKeyService.h"
#include "HotKey/HotKey.h"
#include "HotKey/HotKeysController.h"
#include "HotKey/X11HotKeyService.h"
#include "XcbClient.h"

#include <QElapsedTimer>
#include <QGuiApplication>

#include <X11/keysym.h>
#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

constexpr std::uint16_t controlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
constexpr std::uint16_t capsLock = XCB_MOD_MASK_LOCK;
constexpr std::uint16_t numLock = XCB_MOD_MASK_2; // where Xvfb's default keymap puts NumLock
constexpr std::uint8_t badAccess = 10;

// Runs xdotool with its arguments, e.g. "key ctrl+alt+d".
bool xdotool(const char* arguments) {
    const E2E::RunResult result =
        E2E::run("xdotool", QString::fromLatin1(arguments).split(QLatin1Char(' ')));
    EXPECT_EQ(result.exitCode, 0) << arguments << ": " << result.output.toStdString();
    return result.exitCode == 0;
}

class X11HotKeyE2E : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run under tests/e2e/with-xvfb";
        std::unique_ptr<HotKeyService> service = makeDefaultHotKeyService();
        ASSERT_NE(dynamic_cast<X11HotKeyService*>(service.get()), nullptr);
        HotKeysController::setService(std::move(service));
        ASSERT_TRUE(client.isConnected());
        ASSERT_TRUE(focusWindow.waitUntilFocused()) << focusWindow.output().toStdString();
        ASSERT_EQ(E2E::focusedWindow(), focusWindow.windowId());
    }
    void TearDown() override { HotKeysController::setService(nullptr); }

    std::shared_ptr<HotKey> makeCounting(Key key) {
        return HotKey::make(
            key, ModifierFlags::control | ModifierFlags::option, [this] { ++downs; },
            [this] { ++ups; });
    }

    // Presses and releases the keys (e.g. "ctrl+alt+d") and waits until the release is handled.
    bool pressAndRelease(const std::string& keys) {
        const int expectedUps = ups + 1;
        return xdotool(("key " + keys).c_str()) &&
               E2E::waitUntil([&] { return ups >= expectedUps; });
    }

    int downs = 0;
    int ups = 0;
    XcbClient client;
    E2E::FocusWindow focusWindow;
};

// Under every combination of the lock keys, then paused, on a second keycode, and held.
TEST_F(X11HotKeyE2E, PressAndReleaseRunOnceWhateverTheLocksTheKeycodeOrTheHoldUnlessPaused) {
    auto hotKey = makeCounting(Key::d);
    ASSERT_TRUE(HotKeysController::isLive(*hotKey));
    const std::pair<const char*, int> steps[] = {{nullptr, 0},
                                                 {"key Num_Lock", numLock},
                                                 {"key Caps_Lock", numLock | capsLock},
                                                 {"key Num_Lock", capsLock},
                                                 {"key Caps_Lock", 0}};
    for (const auto& [toggle, locksAfter] : steps) {
        ASSERT_TRUE(toggle == nullptr || xdotool(toggle));
        ASSERT_EQ(client.modifierState() & (numLock | capsLock), locksAfter);
        ASSERT_TRUE(pressAndRelease("ctrl+alt+d")) << "locks " << locksAfter;
    }
    EXPECT_EQ(std::pair(downs, ups), std::pair(5, 5));
    EXPECT_EQ(E2E::focusedWindow(), focusWindow.windowId());

    // While paused the key reaches the focused window instead.
    hotKey->setPaused(true);
    ASSERT_TRUE(xdotool("key ctrl+alt+d"));
    ASSERT_TRUE(focusWindow.waitForKeyPresses(XK_d, 1));
    hotKey->setPaused(false);
    ASSERT_TRUE(pressAndRelease("ctrl+alt+d"));
    EXPECT_EQ(downs, 6);

    // A key on two keycodes (the keypad's decimal point) is grabbed on both.
    const std::vector<xcb_keycode_t> keycodes = client.keycodesOf(XK_KP_Decimal);
    ASSERT_EQ(keycodes.size(), 2u);
    const auto decimal = makeCounting(Key::keypadDecimal);
    ASSERT_TRUE(HotKeysController::isLive(*decimal));
    for (const xcb_keycode_t keycode : keycodes) {
        EXPECT_EQ(client.grabKey(keycode, controlAlt), badAccess) << int{keycode};
    }
    ASSERT_TRUE(pressAndRelease("ctrl+alt+KP_Decimal"));
    EXPECT_EQ(downs, 7);

    // Held: first show that this server auto-repeats a held key (the focused window gets
    // presses).
    QElapsedTimer held;
    ASSERT_TRUE(xdotool("keydown e"));
    held.start();
    const bool repeated = focusWindow.waitForKeyPresses(XK_e, 3);
    const auto repeatTime = held.elapsed();
    ASSERT_TRUE(xdotool("keyup e"));
    ASSERT_TRUE(repeated) << "no auto-repeat";

    // Now the same hold on our shortcut, half as long again: one press, one release.
    ASSERT_TRUE(xdotool("keydown ctrl+alt+d"));
    ASSERT_TRUE(E2E::waitUntil([&] { return downs == 8; }));
    QTest::qWait(static_cast<int>(repeatTime * 3 / 2));
    ASSERT_TRUE(xdotool("keyup ctrl+alt+d"));
    ASSERT_TRUE(E2E::waitUntil([&] { return ups >= 8; }));
    EXPECT_EQ(std::pair(downs, ups), std::pair(8, 8));
}

TEST_F(X11HotKeyE2E, RefusalsAreReportedAndLeaveNoGrabBehind) {
    // Another client holds only the NumLock variant of Control-Alt-D.
    const xcb_keycode_t d = client.keycodesOf(XK_d).at(0);
    ASSERT_EQ(client.grabKey(d, controlAlt | numLock), 0);

    testing::internal::CaptureStdout();
    const auto first = makeCounting(Key::e);
    std::vector<std::shared_ptr<HotKey>> refused{makeCounting(Key::d), makeCounting(Key::function),
                                                 makeCounting(Key::f13), makeCounting(Key::e)};
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Hot key Ctrl+Alt+D refused: already grabbed by another application\n"
              "Hot key Ctrl+Alt+fn refused: no X keysym for this key\n"
              "Hot key Ctrl+Alt+\uF861F13 refused: no such key on this keyboard\n"
              "Hot key Ctrl+Alt+E refused: already registered by this application\n");
    for (const auto& hotKey : refused) {
        EXPECT_FALSE(HotKeysController::isLive(*hotKey));
    }
    // The variants grabbed before the refusal were let go: a third client can take them all.
    const XcbClient third;
    for (const int locks : {0, int{capsLock}, capsLock | numLock}) {
        EXPECT_EQ(third.grabKey(d, static_cast<std::uint16_t>(controlAlt | locks)), 0) << locks;
    }
    // Releasing the refused duplicate takes nothing from the first registration.
    refused.clear();
    ASSERT_TRUE(pressAndRelease("ctrl+alt+e"));
    EXPECT_EQ(downs, 1);
}

TEST_F(X11HotKeyE2E, ALayoutChangeMovesTheGrabToTheKeyThatNowTypesTheCharacter) {
    const auto hotKey = makeCounting(Key::z);
    ASSERT_TRUE(pressAndRelease("ctrl+alt+z"));
    // German layout: Z and Y swap places.
    const std::vector<xcb_keycode_t> before = client.keycodesOf(XK_z);
    ASSERT_EQ(E2E::run("setxkbmap", {"de"}).exitCode, 0);
    ASSERT_NE(XcbClient().keycodesOf(XK_z), before);
    // The service re-grabs once it has seen the change; a press before that reaches the
    // focused window and is made again.
    for (int attempt = 0; attempt < 20 && downs < 2; ++attempt) {
        const qsizetype missed = focusWindow.keyPresses(XK_z);
        ASSERT_TRUE(xdotool("key ctrl+alt+z"));
        ASSERT_TRUE(
            E2E::waitUntil([&] { return downs >= 2 || focusWindow.keyPresses(XK_z) > missed; }));
    }
    EXPECT_EQ(downs, 2);
    // The old position now types Y and is no longer ours.
    ASSERT_TRUE(xdotool("key ctrl+alt+y"));
    ASSERT_TRUE(focusWindow.waitForKeyPresses(XK_y, 1));
    EXPECT_EQ(downs, 2);
    EXPECT_EQ(E2E::run("setxkbmap", {"us"}).exitCode, 0);
}

} // namespace
