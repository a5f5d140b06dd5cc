#include "HotKey/Key.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

struct Expected {
    Key key;
    std::uint32_t code;
    const char* name; // the case name as declared
};

// The published code table, in declaration order.
const Expected expectedKeys[] = {
    // clang-format off
    {Key::a, 0, "a"}, {Key::b, 11, "b"}, {Key::c, 8, "c"}, {Key::d, 2, "d"}, {Key::e, 14, "e"},
    {Key::f, 3, "f"}, {Key::g, 5, "g"}, {Key::h, 4, "h"}, {Key::i, 34, "i"}, {Key::j, 38, "j"},
    {Key::k, 40, "k"}, {Key::l, 37, "l"}, {Key::m, 46, "m"}, {Key::n, 45, "n"}, {Key::o, 31, "o"},
    {Key::p, 35, "p"}, {Key::q, 12, "q"}, {Key::r, 15, "r"}, {Key::s, 1, "s"}, {Key::t, 17, "t"},
    {Key::u, 32, "u"}, {Key::v, 9, "v"}, {Key::w, 13, "w"}, {Key::x, 7, "x"}, {Key::y, 16, "y"},
    {Key::z, 6, "z"}, {Key::zero, 29, "zero"}, {Key::one, 18, "one"}, {Key::two, 19, "two"},
    {Key::three, 20, "three"}, {Key::four, 21, "four"}, {Key::five, 23, "five"},
    {Key::six, 22, "six"}, {Key::seven, 26, "seven"}, {Key::eight, 28, "eight"},
    {Key::nine, 25, "nine"}, {Key::period, 47, "period"}, {Key::quote, 39, "quote"},
    {Key::rightBracket, 30, "rightBracket"}, {Key::semicolon, 41, "semicolon"},
    {Key::slash, 44, "slash"}, {Key::backslash, 42, "backslash"}, {Key::comma, 43, "comma"},
    {Key::equal, 24, "equal"}, {Key::grave, 50, "grave"}, {Key::leftBracket, 33, "leftBracket"},
    {Key::minus, 27, "minus"}, {Key::space, 49, "space"}, {Key::tab, 48, "tab"},
    {Key::return_, 36, "return"}, {Key::command, 55, "command"},
    {Key::rightCommand, 54, "rightCommand"}, {Key::option, 58, "option"},
    {Key::rightOption, 61, "rightOption"}, {Key::control, 59, "control"},
    {Key::rightControl, 62, "rightControl"}, {Key::shift, 56, "shift"},
    {Key::rightShift, 60, "rightShift"}, {Key::function, 63, "function"},
    {Key::capsLock, 57, "capsLock"}, {Key::pageUp, 116, "pageUp"}, {Key::pageDown, 121, "pageDown"},
    {Key::home, 115, "home"}, {Key::end, 119, "end"}, {Key::upArrow, 126, "upArrow"},
    {Key::rightArrow, 124, "rightArrow"}, {Key::downArrow, 125, "downArrow"},
    {Key::leftArrow, 123, "leftArrow"}, {Key::f1, 122, "f1"}, {Key::f2, 120, "f2"},
    {Key::f3, 99, "f3"}, {Key::f4, 118, "f4"}, {Key::f5, 96, "f5"}, {Key::f6, 97, "f6"},
    {Key::f7, 98, "f7"}, {Key::f8, 100, "f8"}, {Key::f9, 101, "f9"}, {Key::f10, 109, "f10"},
    {Key::f11, 103, "f11"}, {Key::f12, 111, "f12"}, {Key::f13, 105, "f13"}, {Key::f14, 107, "f14"},
    {Key::f15, 113, "f15"}, {Key::f16, 106, "f16"}, {Key::f17, 64, "f17"}, {Key::f18, 79, "f18"},
    {Key::f19, 80, "f19"}, {Key::f20, 90, "f20"}, {Key::keypad0, 82, "keypad0"},
    {Key::keypad1, 83, "keypad1"}, {Key::keypad2, 84, "keypad2"}, {Key::keypad3, 85, "keypad3"},
    {Key::keypad4, 86, "keypad4"}, {Key::keypad5, 87, "keypad5"}, {Key::keypad6, 88, "keypad6"},
    {Key::keypad7, 89, "keypad7"}, {Key::keypad8, 91, "keypad8"}, {Key::keypad9, 92, "keypad9"},
    {Key::keypadClear, 71, "keypadClear"}, {Key::keypadDecimal, 65, "keypadDecimal"},
    {Key::keypadDivide, 75, "keypadDivide"}, {Key::keypadEnter, 76, "keypadEnter"},
    {Key::keypadEquals, 81, "keypadEquals"}, {Key::keypadMinus, 78, "keypadMinus"},
    {Key::keypadMultiply, 67, "keypadMultiply"}, {Key::keypadPlus, 69, "keypadPlus"},
    {Key::escape, 53, "escape"}, {Key::delete_, 51, "delete"},
    {Key::forwardDelete, 117, "forwardDelete"}, {Key::help, 114, "help"},
    {Key::volumeUp, 72, "volumeUp"}, {Key::volumeDown, 73, "volumeDown"}, {Key::mute, 74, "mute"},
    // clang-format on
};

std::u32string u32(Key key) {
    return description(key).toStdU32String();
}

TEST(KeyCodes, EveryKeyHasItsPublishedCodeInDeclarationOrder) {
    ASSERT_EQ(std::size(expectedKeys), keyCount);
    for (std::size_t i = 0; i < keyCount; ++i) {
        const Expected& row = expectedKeys[i];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(allKeys()[i], row.key);
        EXPECT_EQ(carbonKeyCode(row.key), row.code);
        EXPECT_EQ(keyFromCarbonKeyCode(row.code), row.key);
    }
}

TEST(KeyCodes, CodesWithoutAKeyReadAsNone) {
    const std::set<std::uint32_t> unused{10, 52, 66,  68,  70,  77,  93,
                                         94, 95, 102, 104, 108, 110, 112};
    for (std::uint32_t code = 0; code <= 126; ++code) {
        EXPECT_EQ(keyFromCarbonKeyCode(code).has_value(), !unused.contains(code)) << code;
    }
    EXPECT_EQ(keyFromCarbonKeyCode(127), std::nullopt);
    EXPECT_EQ(keyFromCarbonKeyCode(0xFFFFFFFF), std::nullopt);
    EXPECT_EQ(keyFromCarbonKeyCode(0), Key::a);
}

TEST(KeyDescription, LettersAndDigitRowsReadAsTheirCharacter) {
    for (int i = 0; i < 26; ++i) {
        EXPECT_EQ(description(static_cast<Key>(i)), QString(QChar(u'A' + i)));
    }
    for (int digit = 0; digit <= 9; ++digit) {
        const QString text = QString::number(digit);
        EXPECT_EQ(description(static_cast<Key>(static_cast<int>(Key::zero) + digit)), text);
        EXPECT_EQ(description(static_cast<Key>(static_cast<int>(Key::keypad0) + digit)), text);
    }
}

TEST(KeyDescription, FunctionKeysCarryTheGroupingPrefix) {
    for (int n = 1; n <= 20; ++n) {
        const Key key = static_cast<Key>(static_cast<int>(Key::f1) + n - 1);
        const char32_t prefix = n < 10 ? U'\uF860' : U'\uF861';
        EXPECT_EQ(u32(key), prefix + (U"F" + QString::number(n).toStdU32String())) << n;
    }
}

TEST(KeyDescription, PunctuationAndSymbolKeys) {
    const std::pair<Key, std::u32string> expected[] = {
        {Key::period, U"."},
        {Key::quote, U"\""},
        {Key::rightBracket, U"]"},
        {Key::semicolon, U";"},
        {Key::slash, U"/"},
        {Key::backslash, U"\\"},
        {Key::comma, U","},
        {Key::equal, U"="},
        {Key::grave, U"`"},
        {Key::leftBracket, U"["},
        {Key::minus, U"-"},
        {Key::keypadDecimal, U"."},
        {Key::keypadDivide, U"/"},
        {Key::keypadEquals, U"="},
        {Key::keypadMinus, U"-"},
        {Key::keypadPlus, U"+"},
        {Key::keypadMultiply, U"\U0001D5D1"},
        {Key::keypadClear, U"\u2327"},
        {Key::space, U"\u2423"},
        {Key::tab, U"\u21E5"},
        {Key::return_, U"\u21A9\uFE0E"},
        {Key::keypadEnter, U"\u21A9\uFE0E"},
        {Key::command, U"\u2318"},
        {Key::rightCommand, U"\u2318"},
        {Key::option, U"\u2325"},
        {Key::rightOption, U"\u2325"},
        {Key::control, U"\u2303"},
        {Key::rightControl, U"\u2303"},
        {Key::shift, U"\u21E7"},
        {Key::rightShift, U"\u21E7"},
        {Key::function, U"fn"},
        {Key::capsLock, U"\u21EA"},
        {Key::pageUp, U"\u21DE"},
        {Key::pageDown, U"\u21DF"},
        {Key::home, U"\u2196"},
        {Key::end, U"\u2198"},
        {Key::upArrow, U"\u2191"},
        {Key::rightArrow, U"\u2192"},
        {Key::downArrow, U"\u2193"},
        {Key::leftArrow, U"\u2190"},
        {Key::escape, U"\u238B"},
        {Key::delete_, U"\u232B"},
        {Key::forwardDelete, U"\u2326"},
        {Key::help, U"?\u20DD"},
        {Key::volumeUp, U"\U0001F50A"},
        {Key::volumeDown, U"\U0001F509"},
        {Key::mute, U"\U0001F507"},
    };
    for (const auto& [key, text] : expected) {
        EXPECT_EQ(u32(key), text) << static_cast<int>(key);
    }
}

TEST(KeyFromString, EveryKeyReadsByItsNameWhateverTheCase) {
    for (const Expected& row : expectedKeys) {
        const QString name = QString::fromLatin1(row.name);
        EXPECT_EQ(keyFromString(name), row.key) << row.name;
        EXPECT_EQ(keyFromString(name.toUpper()), row.key) << row.name;
    }
    EXPECT_EQ(keyFromString(QStringLiteral("PageUp")), Key::pageUp);
    EXPECT_EQ(keyFromString(QStringLiteral("F5")), Key::f5);
    EXPECT_EQ(keyFromString(QStringLiteral("F20")), Key::f20);
}

TEST(KeyFromString, CharactersAndSymbols) {
    const std::pair<const char*, Key> accepted[] = {
        {"A", Key::a},
        {"z", Key::z},
        {"0", Key::zero},
        {"9", Key::nine},
        {".", Key::period},
        {"\"", Key::quote},
        {"]", Key::rightBracket},
        {";", Key::semicolon},
        {"/", Key::slash},
        {"\\", Key::backslash},
        {",", Key::comma},
        {"=", Key::equal},
        {"`", Key::grave},
        {"\u02CB", Key::grave},
        {"\uFF40", Key::grave},
        {"[", Key::leftBracket},
        {"-", Key::minus},
        {" ", Key::space},
        {"\u2423", Key::space},
        {"\t", Key::tab},
        {"\u21E5", Key::tab},
        {"\r", Key::return_},
        {"\u21A9\uFE0E", Key::return_},
        {"\u23CE", Key::return_},
        {"\u2B90", Key::return_},
        {"\u2318", Key::command},
        {"\uF8FF", Key::command},
        {"\u2325", Key::option},
        {"\u2303", Key::control},
        {"\u21E7", Key::shift},
        {"\u21EA", Key::capsLock},
        {"fn", Key::function},
        {"FN", Key::function},
        {"\u21DE", Key::pageUp},
        {"\u21DF", Key::pageDown},
        {"\u2196", Key::home},
        {"\u2198", Key::end},
        {"\u2191", Key::upArrow},
        {"\u2192", Key::rightArrow},
        {"\u2193", Key::downArrow},
        {"\u2190", Key::leftArrow},
        {"\u2327", Key::keypadClear},
        {"\u238B", Key::escape},
        {"\u232B", Key::delete_},
        {"\u2326", Key::forwardDelete},
        {"?\u20DD", Key::help},
        {"\U0001F50A", Key::volumeUp},
        {"\U0001F509", Key::volumeDown},
        {"\U0001F507", Key::mute},
    };
    for (const auto& [text, key] : accepted) {
        EXPECT_EQ(keyFromString(QString::fromUtf8(text)), key) << text;
    }
}

TEST(KeyFromString, WhatItDoesNotRead) {
    const char* refused[] = {
        "",       "keypad enter", "keypad", "enter", "f21",  "f0",  "aa",        " a",
        "\u21A9", // the arrow without its text-style selector
        "+",      // keypadPlus is read by name only
        "*",      "\n",           "cmd",    "alt",   "ctrl", "esc", "backspace", "del",
    };
    for (const char* text : refused) {
        EXPECT_EQ(keyFromString(QString::fromUtf8(text)), std::nullopt) << text;
    }
    // Keypad digits and the right-hand modifiers are read by name only, so their shared
    // characters mean the main-row digit and the left-hand modifier.
    EXPECT_EQ(keyFromString(QStringLiteral("5")), Key::five);
    EXPECT_EQ(keyFromString(QStringLiteral("keypad5")), Key::keypad5);
    EXPECT_EQ(keyFromString(QString::fromUtf8("\u21E7")), Key::shift);
}

} // namespace
