// The key table: codes both ways, display strings, the spellings keyFromString reads, and the
// keysym each key is grabbed by in X.
#include "HotKey/Key.h"
#include "HotKey/X11KeySymbols.h"

#include <X11/XF86keysym.h>
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>

namespace {

// One key of each kind, with the code, display string (UTF-8) and case name the stored
// shortcuts and the menus know.
TEST(Key, EachKindHasItsCodeTextAndName) {
    const std::tuple<Key, std::uint32_t, const char*, const char*> published[] = {
        {Key::a, 0, "a", "A"},
        {Key::zero, 29, "zero", "0"},
        {Key::help, 114, "help", "?\u20DD"},
        {Key::return_, 36, "return", "\u21A9\uFE0E"},
        {Key::f10, 109, "f10", "\uF861F10"},
        {Key::rightCommand, 54, "rightCommand", "\u2318"},
        {Key::mute, 74, "mute", "\U0001F507"},
        {Key::keypadMultiply, 67, "keypadMultiply", "\U0001D5D1"},
    };
    for (const auto& [key, code, name, text] : published) {
        EXPECT_EQ(std::tuple(carbonKeyCode(key), description(key),
                             keyFromString(QString::fromLatin1(name))),
                  std::tuple(code, QString::fromUtf8(text), std::optional(key)))
            << name;
    }
    const std::pair<Key, std::uint32_t> keysyms[] = {
        // clang-format off
        {Key::a, XK_a}, {Key::zero, XK_0}, {Key::quote, XK_apostrophe}, {Key::return_, XK_Return},
        {Key::keypadEnter, XK_KP_Enter}, {Key::keypad7, XK_KP_7}, {Key::delete_, XK_BackSpace},
        {Key::forwardDelete, XK_Delete}, {Key::command, XK_Super_L}, {Key::rightOption, XK_Alt_R},
        {Key::pageDown, XK_Next}, {Key::f20, XK_F20}, {Key::mute, XF86XK_AudioMute},
        // clang-format on
    };
    for (const auto& [key, keysym] : keysyms) {
        EXPECT_EQ(x11KeySym(key), keysym) << static_cast<int>(key);
    }
}

TEST(Key, EveryKeyHasItsOwnCodeSpellingsAndKeysym) {
    std::set<std::uint32_t> codes, keysyms;
    std::set<QString> seen;
    for (std::size_t i = 0; i < keyCount; ++i) {
        const Key key = allKeys()[i];
        SCOPED_TRACE(spellings(key).front());
        EXPECT_EQ(static_cast<std::size_t>(key), i);
        // A code named twice reads back as the first key only.
        codes.insert(carbonKeyCode(key));
        EXPECT_EQ(keyFromCarbonKeyCode(carbonKeyCode(key)), key);
        EXPECT_FALSE(description(key).isEmpty());
        // Each spelling belongs to one key and reads whatever its case.
        for (const char* utf8 : spellings(key)) {
            const QString spelling = QString::fromUtf8(utf8);
            EXPECT_TRUE(seen.insert(spelling).second) << utf8;
            EXPECT_EQ(keyFromString(spelling), key);
            EXPECT_EQ(keyFromString(spelling.toUpper()), key);
        }
        // A display string reads as the first key showing it (the main-row digit, the left-hand
        // modifier), except those of the function keys and of keypad plus and multiply.
        const Key* first = std::find_if(allKeys().data(), &key, [&](Key other) {
            return description(other) == description(key);
        });
        const bool unread = (key >= Key::f1 && key <= Key::f20) || key == Key::keypadPlus ||
                            key == Key::keypadMultiply;
        EXPECT_EQ(keyFromString(description(key)), unread ? std::nullopt : std::optional(*first));
        // Letters are the lower-case keysyms, in order; every other key has a keysym of its own.
        if (key <= Key::z) {
            EXPECT_EQ(x11KeySym(key), XK_a + static_cast<std::uint32_t>(key));
        }
        if (const auto keysym = x11KeySym(key)) {
            EXPECT_TRUE(keysyms.insert(*keysym).second);
        }
    }
    EXPECT_EQ(keysyms.size(), keyCount - 1);
    for (std::uint32_t code = 0; code <= 128; ++code) {
        if (!codes.contains(code)) {
            EXPECT_EQ(keyFromCarbonKeyCode(code), std::nullopt) << code;
        }
    }
    EXPECT_EQ(keyFromCarbonKeyCode(0xFFFFFFFF), std::nullopt);
    // "\u21A9" lacks the text-style selector.
    for (const char* refused :
         {"", "keypad enter", "keypad", "enter", "f21", "f0", "aa", " a", "\u21A9", "*", "\n",
          "cmd", "alt", "ctrl", "esc", "del", "backspace"}) {
        EXPECT_EQ(keyFromString(QString::fromUtf8(refused)), std::nullopt) << refused;
    }
}

} // namespace
