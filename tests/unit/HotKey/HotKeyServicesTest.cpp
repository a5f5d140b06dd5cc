#include "HotKey/DefaultHotKeyService.h"
#include "HotKey/HotKey.h"
#include "HotKey/HotKeysController.h"
#include "HotKey/RefusingHotKeyService.h"
#include "HotKey/X11KeySymbols.h"

#include <X11/XF86keysym.h>
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <set>

namespace {

// These tests run on Qt's offscreen platform: there is no X11 connection.
TEST(DefaultHotKeyService, WithoutX11EveryRegistrationIsRefusedAndReported) {
    HotKeysController::setService(makeDefaultHotKeyService());
    testing::internal::CaptureStdout();
    const auto hotKey = HotKey::make(Key::d, ModifierFlags::control | ModifierFlags::option);
    const auto unknownKey = HotKey::make(10, 0x1800);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Hot key ⌃⌥D refused: no X11 connection\n"
              "Hot key ⌃⌥(key code 10) refused: no X11 connection\n");
    EXPECT_FALSE(HotKeysController::isLive(*hotKey));
    EXPECT_EQ(HotKeysController::registeredIds().size(), 2u);
}

TEST(RefusingHotKeyService, RefusesWithAHandleNever) {
    RefusingHotKeyService service;
    testing::internal::CaptureStdout();
    EXPECT_EQ(service.registerHotKey(KeyCombo(Key::f5, ModifierFlags{}), {1, 1}), std::nullopt);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Hot key \uF860F5 refused: no X11 connection\n");
}

TEST(X11KeySymbols, KeysMapToTheirUnshiftedKeysym) {
    EXPECT_EQ(x11KeySym(Key::a), XK_a);
    EXPECT_EQ(x11KeySym(Key::z), XK_z);
    EXPECT_EQ(x11KeySym(Key::zero), XK_0);
    EXPECT_EQ(x11KeySym(Key::quote), XK_apostrophe);
    EXPECT_EQ(x11KeySym(Key::return_), XK_Return);
    EXPECT_EQ(x11KeySym(Key::keypadEnter), XK_KP_Enter);
    EXPECT_EQ(x11KeySym(Key::keypad7), XK_KP_7);
    EXPECT_EQ(x11KeySym(Key::delete_), XK_BackSpace);
    EXPECT_EQ(x11KeySym(Key::forwardDelete), XK_Delete);
    EXPECT_EQ(x11KeySym(Key::command), XK_Super_L);
    EXPECT_EQ(x11KeySym(Key::rightOption), XK_Alt_R);
    EXPECT_EQ(x11KeySym(Key::pageDown), XK_Next);
    EXPECT_EQ(x11KeySym(Key::f20), XK_F20);
    EXPECT_EQ(x11KeySym(Key::mute), XF86XK_AudioMute);
    EXPECT_EQ(x11KeySym(Key::function), std::nullopt);

    // Letters are the lower-case keysyms, in order; every other key has a keysym of its own.
    std::set<std::uint32_t> seen;
    for (const Key key : allKeys()) {
        const auto keysym = x11KeySym(key);
        if (key <= Key::z) {
            EXPECT_EQ(keysym, XK_a + static_cast<std::uint32_t>(key));
        }
        if (keysym) {
            EXPECT_TRUE(seen.insert(*keysym).second) << static_cast<int>(key);
        }
    }
    EXPECT_EQ(seen.size(), keyCount - 1);
}

} // namespace
