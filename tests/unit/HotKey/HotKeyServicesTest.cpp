// The services that answer without a window system, and how keys and modifiers are named to X.
#include "HotKey/DefaultHotKeyService.h"
#include "HotKey/HotKey.h"
#include "HotKey/HotKeysController.h"
#include "HotKey/X11KeySymbols.h"
#include "tests/support/Printed.h"

#include <X11/XF86keysym.h>
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <xcb/xproto.h>

#include <set>

namespace {

// These tests run on Qt's offscreen platform: there is no X11 connection.
TEST(DefaultHotKeyService, WithoutX11EveryRegistrationIsRefusedAndReported) {
    HotKeysController::setService(makeDefaultHotKeyService());
    std::shared_ptr<HotKey> hotKey, unknownKey;
    EXPECT_EQ(printed([&] {
                  hotKey = HotKey::make(Key::d, ModifierFlags::control | ModifierFlags::option);
                  unknownKey = HotKey::make(10, 0x1800);
              }),
              "Hot key Ctrl+Alt+D refused: no X11 connection\n"
              "Hot key Ctrl+Alt+(key code 10) refused: no X11 connection\n");
    EXPECT_FALSE(HotKeysController::isLive(*hotKey));
    EXPECT_EQ(HotKeysController::registeredIds().size(), 2u);
}

TEST(X11KeySymbols, KeysMapToTheirUnshiftedKeysym) {
    const std::pair<Key, std::uint32_t> samples[] = {
        // clang-format off
        {Key::a, XK_a}, {Key::zero, XK_0}, {Key::quote, XK_apostrophe}, {Key::return_, XK_Return},
        {Key::keypadEnter, XK_KP_Enter}, {Key::keypad7, XK_KP_7}, {Key::delete_, XK_BackSpace},
        {Key::forwardDelete, XK_Delete}, {Key::command, XK_Super_L}, {Key::rightOption, XK_Alt_R},
        {Key::pageDown, XK_Next}, {Key::f20, XK_F20}, {Key::mute, XF86XK_AudioMute},
        // clang-format on
    };
    for (const auto& [key, keysym] : samples) {
        EXPECT_EQ(x11KeySym(key), keysym) << static_cast<int>(key);
    }
    EXPECT_EQ(x11KeySym(Key::function), std::nullopt);
    // Letters are the lower-case keysyms, in order; every other key has a keysym of its own.
    std::set<std::uint32_t> seen;
    for (const Key key : allKeys()) {
        if (key <= Key::z) {
            EXPECT_EQ(x11KeySym(key), XK_a + static_cast<std::uint32_t>(key));
        }
        if (const auto keysym = x11KeySym(key)) {
            EXPECT_TRUE(seen.insert(*keysym).second) << static_cast<int>(key);
        }
    }
    EXPECT_EQ(seen.size(), keyCount - 1);
}

TEST(X11KeySymbols, EachShortcutModifierHasItsXModifier) {
    using namespace CarbonModifiers;
    // Caps lock and the unused bits take no part in a shortcut.
    EXPECT_EQ((std::vector{x11Modifiers(control), x11Modifiers(option), x11Modifiers(shift),
                           x11Modifiers(command), x11Modifiers(control | option | shift | command),
                           x11Modifiers(0x0400 | 0x00FF | 0xE000)}),
              (std::vector<decltype(x11Modifiers(0))>{
                  XCB_MOD_MASK_CONTROL, XCB_MOD_MASK_1, XCB_MOD_MASK_SHIFT, XCB_MOD_MASK_4,
                  XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_4, 0}));
}

} // namespace
