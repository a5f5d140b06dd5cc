#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <span>

// Every physical key a shortcut can name, in a fixed order. Each has the virtual key code of the
// ANSI layout (the "Carbon" numbering the stored shortcuts use) and a short display string.
// `return_` and `delete_` carry a trailing underscore because their names are C++ keywords.
enum class Key : std::uint8_t {
    // clang-format off
    a, b, c, d, e, f, g, h, i, j, k, l, m, n, o, p, q, r, s, t, u, v, w, x, y, z,
    zero, one, two, three, four, five, six, seven, eight, nine,
    period, quote, rightBracket, semicolon, slash, backslash, comma, equal, grave, leftBracket,
    minus,
    space, tab, return_,
    command, rightCommand, option, rightOption, control, rightControl, shift, rightShift,
    function, capsLock,
    pageUp, pageDown, home, end, upArrow, rightArrow, downArrow, leftArrow,
    f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, f11, f12, f13, f14, f15, f16, f17, f18, f19, f20,
    keypad0, keypad1, keypad2, keypad3, keypad4, keypad5, keypad6, keypad7, keypad8, keypad9,
    keypadClear, keypadDecimal, keypadDivide, keypadEnter, keypadEquals, keypadMinus,
    keypadMultiply, keypadPlus,
    escape, delete_, forwardDelete, help, volumeUp, volumeDown, mute,
    // clang-format on
};

inline constexpr std::size_t keyCount = 113;

// All keys in declaration order.
const std::array<Key, keyCount>& allKeys();

std::uint32_t carbonKeyCode(Key key);

// The key whose code is `code`; none for a code no key has.
std::optional<Key> keyFromCarbonKeyCode(std::uint32_t code);

// "A", "5", "⇧", "\uF860F5" ... Left and right modifier keys share one string, as do the
// two digit rows.
QString description(Key key);

// The lower-case spellings keyFromString reads as `key` (UTF-8), its name first.
std::span<const char* const> spellings(Key key);

// Reads a key from text such as a menu item's shortcut: lower-cased, then compared whole with
// each key's accepted spellings (its name, its character, its symbol); none when nothing matches.
std::optional<Key> keyFromString(const QString& text);
