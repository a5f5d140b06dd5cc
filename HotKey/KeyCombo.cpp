#include "HotKey/KeyCombo.h"

#include <utility>

#include <limits>

namespace {

const QString keyCodeEntry = QStringLiteral("keyCode");
const QString modifiersEntry = QStringLiteral("modifiers");

// An integer entry that fits the 32-bit unsigned fields; none for anything else (a double, a
// string, a boolean, a negative or too large number).
std::optional<std::uint32_t> unsigned32(const QVariantMap& dictionary, const QString& name) {
    const auto found = dictionary.constFind(name);
    if (found == dictionary.constEnd()) {
        return std::nullopt;
    }
    constexpr auto max = std::numeric_limits<std::uint32_t>::max();
    switch (found->typeId()) {
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::Short:
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong: {
        const qlonglong value = found->toLongLong();
        if (value < 0 || value > qlonglong{max}) {
            return std::nullopt;
        }
        return static_cast<std::uint32_t>(value);
    }
    case QMetaType::UChar:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const qulonglong value = found->toULongLong();
        if (value > max) {
            return std::nullopt;
        }
        return static_cast<std::uint32_t>(value);
    }
    default:
        return std::nullopt;
    }
}

} // namespace

QString KeyCombo::description() const {
    const std::optional<Key> k = key();
    return modifiers().description() + (k ? ::description(*k) : QString());
}

QString KeyCombo::keyboardName() const {
    const QString name = modifiers().spelled({"Ctrl+", "Alt+", "Shift+", "Super+"});
    const std::optional<Key> k = key();
    return name + (k ? ::description(*k) : QStringLiteral("(key code %1)").arg(carbonKeyCode));
}

QVariantMap KeyCombo::dictionary() const {
    return {{keyCodeEntry, qlonglong{carbonKeyCode}}, {modifiersEntry, qlonglong{carbonModifiers}}};
}

std::optional<KeyCombo> KeyCombo::fromDictionary(const QVariantMap& dictionary) {
    const std::optional<std::uint32_t> keyCode = unsigned32(dictionary, keyCodeEntry);
    const std::optional<std::uint32_t> modifiers = unsigned32(dictionary, modifiersEntry);
    if (!keyCode || !modifiers) {
        return std::nullopt;
    }
    return KeyCombo(*keyCode, *modifiers);
}

std::optional<QString> KeyCombo::carbonKeyCodeToString(std::uint32_t) {
    return std::nullopt;
}

std::vector<KeyCombo> KeyCombo::standardKeyCombos() {
    const ModifierFlags cmd = ModifierFlags::command;
    const ModifierFlags shiftCmd = ModifierFlags::shift | cmd;
    const ModifierFlags optionCmd = ModifierFlags::option | cmd;
    const ModifierFlags optionShiftCmd = ModifierFlags::option | shiftCmd;
    const ModifierFlags controlCmd = ModifierFlags::control | cmd;
    return {
        {Key::comma, cmd},
        {Key::h, cmd},
        {Key::h, optionCmd},
        {Key::q, cmd},
        {Key::n, cmd},
        {Key::o, cmd},
        {Key::w, cmd},
        {Key::s, cmd},
        {Key::s, shiftCmd},
        {Key::r, cmd},
        {Key::p, shiftCmd},
        {Key::p, cmd},
        {Key::z, cmd},
        {Key::z, shiftCmd},
        {Key::x, cmd},
        {Key::c, cmd},
        {Key::v, cmd},
        {Key::v, optionShiftCmd},
        {Key::a, cmd},
        {Key::f, cmd},
        {Key::f, optionCmd},
        {Key::g, cmd},
        {Key::g, shiftCmd},
        {Key::e, cmd},
        {Key::j, cmd},
        {Key::semicolon, shiftCmd},
        {Key::semicolon, cmd},
        {Key::t, cmd},
        {Key::b, cmd},
        {Key::i, cmd},
        {Key::u, cmd},
        {Key::equal, shiftCmd},
        {Key::minus, cmd},
        {Key::c, shiftCmd},
        {Key::c, optionCmd},
        {Key::v, optionCmd},
        {Key::leftBracket, shiftCmd},
        {Key::backslash, shiftCmd},
        {Key::rightBracket, shiftCmd},
        {Key::c, controlCmd},
        {Key::v, controlCmd},
        {Key::t, optionCmd},
        {Key::s, controlCmd},
        {Key::f, controlCmd},
        {Key::m, cmd},
        {Key::slash, shiftCmd},
    };
}
