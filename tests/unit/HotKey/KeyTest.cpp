// The key table: codes both ways, display strings, and the spellings keyFromString reads.
#include "HotKey/Key.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>

namespace {

std::string nameOf(Key key) {
    return spellings(key).front();
}

// One key of each kind, with the code, display string (UTF-8) and case name the stored
// shortcuts and the menus know.
TEST(Key, EachKindHasItsCodeTextAndName) {
    const std::tuple<Key, std::uint32_t, const char*, const char*> published[] = {
        {Key::a, 0, "a", "A"},
        {Key::zero, 29, "zero", "0"},
        {Key::return_, 36, "return", "\u21A9\uFE0E"},
        {Key::rightCommand, 54, "rightCommand", "\u2318"},
        {Key::f10, 109, "f10", "\uF861F10"},
        {Key::keypadMultiply, 67, "keypadMultiply", "\U0001D5D1"},
        {Key::help, 114, "help", "?\u20DD"},
        {Key::mute, 74, "mute", "\U0001F507"}};
    for (const auto& [key, code, name, text] : published) {
        EXPECT_EQ(std::tuple(carbonKeyCode(key), description(key),
                             keyFromString(QString::fromLatin1(name))),
                  std::tuple(code, QString::fromUtf8(text), std::optional(key)))
            << name;
    }
}

TEST(Key, EveryKeyInDeclarationOrderHasAUniqueCodeThatReadsBack) {
    std::set<std::uint32_t> codes;
    for (std::size_t i = 0; i < keyCount; ++i) {
        const Key key = allKeys()[i];
        SCOPED_TRACE(nameOf(key));
        EXPECT_EQ(static_cast<std::size_t>(key), i);
        EXPECT_TRUE(codes.insert(carbonKeyCode(key)).second) << "a code named twice";
        EXPECT_EQ(keyFromCarbonKeyCode(carbonKeyCode(key)), key);
        EXPECT_FALSE(description(key).isEmpty());
    }
    for (std::uint32_t code = 0; code <= 128; ++code) {
        if (!codes.contains(code)) {
            EXPECT_EQ(keyFromCarbonKeyCode(code), std::nullopt) << code;
        }
    }
    EXPECT_EQ(keyFromCarbonKeyCode(0xFFFFFFFF), std::nullopt);
}

TEST(Key, NamesDisplayStringsAndOtherSpellingsRead) {
    std::set<QString> seen;
    for (const Key& key : allKeys()) {
        SCOPED_TRACE(nameOf(key));
        ASSERT_FALSE(spellings(key).empty());
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
    }
    // "\u21A9" lacks the text-style selector.
    for (const char* refused :
         {"", "keypad enter", "keypad", "enter", "f21", "f0", "aa", " a", "\u21A9", "*", "\n",
          "cmd", "alt", "ctrl", "esc", "del", "backspace"}) {
        EXPECT_EQ(keyFromString(QString::fromUtf8(refused)), std::nullopt) << refused;
    }
}

} // namespace
