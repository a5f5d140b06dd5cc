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

struct Published {
    Key key;
    std::uint32_t code;
    const char* name; // the case name as declared
    const char* text; // the display string, UTF-8
};

void PrintTo(const Published& row, std::ostream* os) {
    *os << row.name;
}

class KeyPublished : public testing::TestWithParam<Published> {};

// One key of each kind, with the code and string the stored shortcuts and the menus know.
TEST_P(KeyPublished, HasItsCodeTextAndName) {
    const Published& row = GetParam();
    EXPECT_EQ(carbonKeyCode(row.key), row.code);
    EXPECT_EQ(description(row.key), QString::fromUtf8(row.text));
    EXPECT_EQ(keyFromString(QString::fromLatin1(row.name)), row.key);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, KeyPublished,
    testing::Values(Published{Key::a, 0, "a", "A"}, Published{Key::zero, 29, "zero", "0"},
                    Published{Key::return_, 36, "return", "\u21A9\uFE0E"},
                    Published{Key::rightCommand, 54, "rightCommand", "\u2318"},
                    Published{Key::f10, 109, "f10", "\uF861F10"},
                    Published{Key::keypadMultiply, 67, "keypadMultiply", "\U0001D5D1"},
                    Published{Key::help, 114, "help", "?\u20DD"},
                    Published{Key::mute, 74, "mute", "\U0001F507"}),
    [](const auto& param) { return std::string(param.param.name); });

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
