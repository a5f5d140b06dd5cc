// The key table: codes both ways, display strings, and the spellings keyFromString reads.
#include "HotKey/Key.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string_view>

namespace {

struct Row {
    Key key;
    std::uint32_t code;
    const char* name; // the case name as declared
    const char* text; // the display string, UTF-8
};

// The published table, in declaration order.
const Row table[] = {
    // clang-format off
    {Key::a, 0, "a", "A"}, {Key::b, 11, "b", "B"}, {Key::c, 8, "c", "C"}, {Key::d, 2, "d", "D"},
    {Key::e, 14, "e", "E"}, {Key::f, 3, "f", "F"}, {Key::g, 5, "g", "G"}, {Key::h, 4, "h", "H"},
    {Key::i, 34, "i", "I"}, {Key::j, 38, "j", "J"}, {Key::k, 40, "k", "K"}, {Key::l, 37, "l", "L"},
    {Key::m, 46, "m", "M"}, {Key::n, 45, "n", "N"}, {Key::o, 31, "o", "O"}, {Key::p, 35, "p", "P"},
    {Key::q, 12, "q", "Q"}, {Key::r, 15, "r", "R"}, {Key::s, 1, "s", "S"}, {Key::t, 17, "t", "T"},
    {Key::u, 32, "u", "U"}, {Key::v, 9, "v", "V"}, {Key::w, 13, "w", "W"}, {Key::x, 7, "x", "X"},
    {Key::y, 16, "y", "Y"}, {Key::z, 6, "z", "Z"}, {Key::zero, 29, "zero", "0"},
    {Key::one, 18, "one", "1"}, {Key::two, 19, "two", "2"}, {Key::three, 20, "three", "3"},
    {Key::four, 21, "four", "4"}, {Key::five, 23, "five", "5"}, {Key::six, 22, "six", "6"},
    {Key::seven, 26, "seven", "7"}, {Key::eight, 28, "eight", "8"}, {Key::nine, 25, "nine", "9"},
    {Key::period, 47, "period", "."}, {Key::quote, 39, "quote", "\""},
    {Key::rightBracket, 30, "rightBracket", "]"}, {Key::semicolon, 41, "semicolon", ";"},
    {Key::slash, 44, "slash", "/"}, {Key::backslash, 42, "backslash", "\\"},
    {Key::comma, 43, "comma", ","}, {Key::equal, 24, "equal", "="}, {Key::grave, 50, "grave", "`"},
    {Key::leftBracket, 33, "leftBracket", "["}, {Key::minus, 27, "minus", "-"},
    {Key::space, 49, "space", "\u2423"}, {Key::tab, 48, "tab", "\u21E5"},
    {Key::return_, 36, "return", "\u21A9\uFE0E"}, {Key::command, 55, "command", "\u2318"},
    {Key::rightCommand, 54, "rightCommand", "\u2318"}, {Key::option, 58, "option", "\u2325"},
    {Key::rightOption, 61, "rightOption", "\u2325"}, {Key::control, 59, "control", "\u2303"},
    {Key::rightControl, 62, "rightControl", "\u2303"}, {Key::shift, 56, "shift", "\u21E7"},
    {Key::rightShift, 60, "rightShift", "\u21E7"}, {Key::function, 63, "function", "fn"},
    {Key::capsLock, 57, "capsLock", "\u21EA"}, {Key::pageUp, 116, "pageUp", "\u21DE"},
    {Key::pageDown, 121, "pageDown", "\u21DF"}, {Key::home, 115, "home", "\u2196"},
    {Key::end, 119, "end", "\u2198"}, {Key::upArrow, 126, "upArrow", "\u2191"},
    {Key::rightArrow, 124, "rightArrow", "\u2192"}, {Key::downArrow, 125, "downArrow", "\u2193"},
    {Key::leftArrow, 123, "leftArrow", "\u2190"}, {Key::f1, 122, "f1", "\uF860F1"},
    {Key::f2, 120, "f2", "\uF860F2"}, {Key::f3, 99, "f3", "\uF860F3"},
    {Key::f4, 118, "f4", "\uF860F4"}, {Key::f5, 96, "f5", "\uF860F5"},
    {Key::f6, 97, "f6", "\uF860F6"}, {Key::f7, 98, "f7", "\uF860F7"},
    {Key::f8, 100, "f8", "\uF860F8"}, {Key::f9, 101, "f9", "\uF860F9"},
    {Key::f10, 109, "f10", "\uF861F10"}, {Key::f11, 103, "f11", "\uF861F11"},
    {Key::f12, 111, "f12", "\uF861F12"}, {Key::f13, 105, "f13", "\uF861F13"},
    {Key::f14, 107, "f14", "\uF861F14"}, {Key::f15, 113, "f15", "\uF861F15"},
    {Key::f16, 106, "f16", "\uF861F16"}, {Key::f17, 64, "f17", "\uF861F17"},
    {Key::f18, 79, "f18", "\uF861F18"}, {Key::f19, 80, "f19", "\uF861F19"},
    {Key::f20, 90, "f20", "\uF861F20"}, {Key::keypad0, 82, "keypad0", "0"},
    {Key::keypad1, 83, "keypad1", "1"}, {Key::keypad2, 84, "keypad2", "2"},
    {Key::keypad3, 85, "keypad3", "3"}, {Key::keypad4, 86, "keypad4", "4"},
    {Key::keypad5, 87, "keypad5", "5"}, {Key::keypad6, 88, "keypad6", "6"},
    {Key::keypad7, 89, "keypad7", "7"}, {Key::keypad8, 91, "keypad8", "8"},
    {Key::keypad9, 92, "keypad9", "9"}, {Key::keypadClear, 71, "keypadClear", "\u2327"},
    {Key::keypadDecimal, 65, "keypadDecimal", "."}, {Key::keypadDivide, 75, "keypadDivide", "/"},
    {Key::keypadEnter, 76, "keypadEnter", "\u21A9\uFE0E"},
    {Key::keypadEquals, 81, "keypadEquals", "="}, {Key::keypadMinus, 78, "keypadMinus", "-"},
    {Key::keypadMultiply, 67, "keypadMultiply", "\U0001D5D1"},
    {Key::keypadPlus, 69, "keypadPlus", "+"}, {Key::escape, 53, "escape", "\u238B"},
    {Key::delete_, 51, "delete", "\u232B"}, {Key::forwardDelete, 117, "forwardDelete", "\u2326"},
    {Key::help, 114, "help", "?\u20DD"}, {Key::volumeUp, 72, "volumeUp", "\U0001F50A"},
    {Key::volumeDown, 73, "volumeDown", "\U0001F509"}, {Key::mute, 74, "mute", "\U0001F507"},
    // clang-format on
};

const Row* rowOfCode(std::uint32_t code) {
    const auto found = std::find_if(std::begin(table), std::end(table),
                                    [&](const Row& row) { return row.code == code; });
    return found == std::end(table) ? nullptr : found;
}

TEST(Key, EveryKeyHasItsCodeTextAndNameInDeclarationOrder) {
    ASSERT_EQ(std::size(table), keyCount);
    for (std::size_t i = 0; i < keyCount; ++i) {
        const Row& row = table[i];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(allKeys()[i], row.key);
        EXPECT_EQ(carbonKeyCode(row.key), row.code);
        EXPECT_EQ(description(row.key), QString::fromUtf8(row.text));
        // Names read whatever their case.
        EXPECT_EQ(keyFromString(QString::fromLatin1(row.name)), row.key);
        EXPECT_EQ(keyFromString(QString::fromLatin1(row.name).toUpper()), row.key);
    }
}

TEST(Key, CodesReadBackAndCodesWithoutAKeyReadAsNone) {
    for (std::uint32_t code = 0; code <= 128; ++code) {
        const Row* row = rowOfCode(code);
        EXPECT_EQ(keyFromCarbonKeyCode(code), row ? std::optional(row->key) : std::nullopt) << code;
    }
    EXPECT_EQ(keyFromCarbonKeyCode(0xFFFFFFFF), std::nullopt);
}

TEST(Key, DisplayStringsAndOtherSpellingsRead) {
    // A display string reads as the first key showing it (the main-row digit, the left-hand
    // modifier), except those of the function keys and of keypad plus and multiply.
    for (const Row& row : table) {
        const Row* first = std::find_if(std::begin(table), &row, [&](const Row& other) {
            return std::string_view(other.text) == row.text;
        });
        const bool unread = (row.key >= Key::f1 && row.key <= Key::f20) ||
                            row.key == Key::keypadPlus || row.key == Key::keypadMultiply;
        EXPECT_EQ(keyFromString(QString::fromUtf8(row.text)),
                  unread ? std::nullopt : std::optional(first->key))
            << row.name;
    }
    for (const auto& [text, key] :
         {std::pair{" ", Key::space}, std::pair{"\t", Key::tab}, std::pair{"\r", Key::return_},
          std::pair{"\u23CE", Key::return_}, std::pair{"\u2B90", Key::return_},
          std::pair{"\u02CB", Key::grave}, std::pair{"\uFF40", Key::grave},
          std::pair{"\uF8FF", Key::command}, std::pair{"FN", Key::function},
          std::pair{"PageUp", Key::pageUp}}) {
        EXPECT_EQ(keyFromString(QString::fromUtf8(text)), key) << text;
    }
    // "\u21A9" lacks the text-style selector.
    for (const char* refused :
         {"", "keypad enter", "keypad", "enter", "f21", "f0", "aa", " a", "\u21A9", "*", "\n",
          "cmd", "alt", "ctrl", "esc", "del", "backspace"}) {
        EXPECT_EQ(keyFromString(QString::fromUtf8(refused)), std::nullopt) << refused;
    }
}

} // namespace
