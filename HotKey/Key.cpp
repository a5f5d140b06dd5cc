#include "HotKey/Key.h"

#include <algorithm>

namespace {

struct KeyInfo {
    Key key;
    std::uint32_t code;
    const char* description; // UTF-8
    // Lower-case spellings read by keyFromString, UTF-8; unused slots stay null.
    std::array<const char*, 5> spellings;
};

// One row per key, in declaration order (checked below).
constexpr std::array<KeyInfo, keyCount> keyTable{{
    {Key::a, 0, "A", {"a"}},
    {Key::b, 11, "B", {"b"}},
    {Key::c, 8, "C", {"c"}},
    {Key::d, 2, "D", {"d"}},
    {Key::e, 14, "E", {"e"}},
    {Key::f, 3, "F", {"f"}},
    {Key::g, 5, "G", {"g"}},
    {Key::h, 4, "H", {"h"}},
    {Key::i, 34, "I", {"i"}},
    {Key::j, 38, "J", {"j"}},
    {Key::k, 40, "K", {"k"}},
    {Key::l, 37, "L", {"l"}},
    {Key::m, 46, "M", {"m"}},
    {Key::n, 45, "N", {"n"}},
    {Key::o, 31, "O", {"o"}},
    {Key::p, 35, "P", {"p"}},
    {Key::q, 12, "Q", {"q"}},
    {Key::r, 15, "R", {"r"}},
    {Key::s, 1, "S", {"s"}},
    {Key::t, 17, "T", {"t"}},
    {Key::u, 32, "U", {"u"}},
    {Key::v, 9, "V", {"v"}},
    {Key::w, 13, "W", {"w"}},
    {Key::x, 7, "X", {"x"}},
    {Key::y, 16, "Y", {"y"}},
    {Key::z, 6, "Z", {"z"}},

    {Key::zero, 29, "0", {"zero", "0"}},
    {Key::one, 18, "1", {"one", "1"}},
    {Key::two, 19, "2", {"two", "2"}},
    {Key::three, 20, "3", {"three", "3"}},
    {Key::four, 21, "4", {"four", "4"}},
    {Key::five, 23, "5", {"five", "5"}},
    {Key::six, 22, "6", {"six", "6"}},
    {Key::seven, 26, "7", {"seven", "7"}},
    {Key::eight, 28, "8", {"eight", "8"}},
    {Key::nine, 25, "9", {"nine", "9"}},

    {Key::period, 47, ".", {"period", "."}},
    {Key::quote, 39, "\"", {"quote", "\""}},
    {Key::rightBracket, 30, "]", {"rightbracket", "]"}},
    {Key::semicolon, 41, ";", {"semicolon", ";"}},
    {Key::slash, 44, "/", {"slash", "/"}},
    {Key::backslash, 42, "\\", {"backslash", "\\"}},
    {Key::comma, 43, ",", {"comma", ","}},
    {Key::equal, 24, "=", {"equal", "="}},
    {Key::grave, 50, "`", {"grave", "`", "\u02CB", "\uFF40"}},
    {Key::leftBracket, 33, "[", {"leftbracket", "["}},
    {Key::minus, 27, "-", {"minus", "-"}},

    {Key::space, 49, "\u2423", {"space", " ", "\u2423"}},
    {Key::tab, 48, "\u21E5", {"tab", "\t", "\u21E5"}},
    {Key::return_, 36, "\u21A9\uFE0E", {"return", "\r", "\u21A9\uFE0E", "\u23CE", "\u2B90"}},

    {Key::command, 55, "\u2318", {"command", "\u2318", "\uF8FF"}},
    {Key::rightCommand, 54, "\u2318", {"rightcommand"}},
    {Key::option, 58, "\u2325", {"option", "\u2325"}},
    {Key::rightOption, 61, "\u2325", {"rightoption"}},
    {Key::control, 59, "\u2303", {"control", "\u2303"}},
    {Key::rightControl, 62, "\u2303", {"rightcontrol"}},
    {Key::shift, 56, "\u21E7", {"shift", "\u21E7"}},
    {Key::rightShift, 60, "\u21E7", {"rightshift"}},
    {Key::function, 63, "fn", {"function", "fn"}},
    {Key::capsLock, 57, "\u21EA", {"capslock", "\u21EA"}},

    {Key::pageUp, 116, "\u21DE", {"pageup", "\u21DE"}},
    {Key::pageDown, 121, "\u21DF", {"pagedown", "\u21DF"}},
    {Key::home, 115, "\u2196", {"home", "\u2196"}},
    {Key::end, 119, "\u2198", {"end", "\u2198"}},
    {Key::upArrow, 126, "\u2191", {"uparrow", "\u2191"}},
    {Key::rightArrow, 124, "\u2192", {"rightarrow", "\u2192"}},
    {Key::downArrow, 125, "\u2193", {"downarrow", "\u2193"}},
    {Key::leftArrow, 123, "\u2190", {"leftarrow", "\u2190"}},

    // U+F860 / U+F861 ask the renderer to keep the next two / three characters together.
    {Key::f1, 122, "\uF860F1", {"f1"}},
    {Key::f2, 120, "\uF860F2", {"f2"}},
    {Key::f3, 99, "\uF860F3", {"f3"}},
    {Key::f4, 118, "\uF860F4", {"f4"}},
    {Key::f5, 96, "\uF860F5", {"f5"}},
    {Key::f6, 97, "\uF860F6", {"f6"}},
    {Key::f7, 98, "\uF860F7", {"f7"}},
    {Key::f8, 100, "\uF860F8", {"f8"}},
    {Key::f9, 101, "\uF860F9", {"f9"}},
    {Key::f10, 109, "\uF861F10", {"f10"}},
    {Key::f11, 103, "\uF861F11", {"f11"}},
    {Key::f12, 111, "\uF861F12", {"f12"}},
    {Key::f13, 105, "\uF861F13", {"f13"}},
    {Key::f14, 107, "\uF861F14", {"f14"}},
    {Key::f15, 113, "\uF861F15", {"f15"}},
    {Key::f16, 106, "\uF861F16", {"f16"}},
    {Key::f17, 64, "\uF861F17", {"f17"}},
    {Key::f18, 79, "\uF861F18", {"f18"}},
    {Key::f19, 80, "\uF861F19", {"f19"}},
    {Key::f20, 90, "\uF861F20", {"f20"}},

    {Key::keypad0, 82, "0", {"keypad0"}},
    {Key::keypad1, 83, "1", {"keypad1"}},
    {Key::keypad2, 84, "2", {"keypad2"}},
    {Key::keypad3, 85, "3", {"keypad3"}},
    {Key::keypad4, 86, "4", {"keypad4"}},
    {Key::keypad5, 87, "5", {"keypad5"}},
    {Key::keypad6, 88, "6", {"keypad6"}},
    {Key::keypad7, 89, "7", {"keypad7"}},
    {Key::keypad8, 91, "8", {"keypad8"}},
    {Key::keypad9, 92, "9", {"keypad9"}},
    {Key::keypadClear, 71, "\u2327", {"keypadclear", "\u2327"}},
    {Key::keypadDecimal, 65, ".", {"keypaddecimal"}},
    {Key::keypadDivide, 75, "/", {"keypaddivide"}},
    {Key::keypadEnter, 76, "\u21A9\uFE0E", {"keypadenter"}},
    {Key::keypadEquals, 81, "=", {"keypadequals"}},
    {Key::keypadMinus, 78, "-", {"keypadminus"}},
    {Key::keypadMultiply, 67, "\U0001D5D1", {"keypadmultiply"}},
    {Key::keypadPlus, 69, "+", {"keypadplus"}},

    {Key::escape, 53, "\u238B", {"escape", "\u238B"}},
    {Key::delete_, 51, "\u232B", {"delete", "\u232B"}},
    {Key::forwardDelete, 117, "\u2326", {"forwarddelete", "\u2326"}},
    {Key::help, 114, "?\u20DD", {"help", "?\u20DD"}},
    {Key::volumeUp, 72, "\U0001F50A", {"volumeup", "\U0001F50A"}},
    {Key::volumeDown, 73, "\U0001F509", {"volumedown", "\U0001F509"}},
    {Key::mute, 74, "\U0001F507", {"mute", "\U0001F507"}},
}};

constexpr bool tableFollowsDeclarationOrder() {
    for (std::size_t i = 0; i < keyTable.size(); ++i) {
        if (static_cast<std::size_t>(keyTable[i].key) != i) {
            return false;
        }
    }
    return true;
}
static_assert(tableFollowsDeclarationOrder());

const KeyInfo& info(Key key) {
    return keyTable[static_cast<std::size_t>(key)];
}

} // namespace

const std::array<Key, keyCount>& allKeys() {
    static const std::array<Key, keyCount> keys = [] {
        std::array<Key, keyCount> all{};
        for (std::size_t i = 0; i < keyCount; ++i) {
            all[i] = keyTable[i].key;
        }
        return all;
    }();
    return keys;
}

std::uint32_t carbonKeyCode(Key key) {
    return info(key).code;
}

std::optional<Key> keyFromCarbonKeyCode(std::uint32_t code) {
    for (const KeyInfo& row : keyTable) {
        if (row.code == code) {
            return row.key;
        }
    }
    return std::nullopt;
}

QString description(Key key) {
    return QString::fromUtf8(info(key).description);
}

std::span<const char* const> spellings(Key key) {
    const auto& all = info(key).spellings;
    return {all.begin(), std::find(all.begin(), all.end(), nullptr)};
}

std::optional<Key> keyFromString(const QString& text) {
    const QByteArray lowered = text.toLower().toUtf8();
    for (const KeyInfo& row : keyTable) {
        for (const char* spelling : row.spellings) {
            if (spelling != nullptr && lowered == spelling) {
                return row.key;
            }
        }
    }
    return std::nullopt;
}
