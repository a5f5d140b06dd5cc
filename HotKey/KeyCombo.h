#pragma once

#include "HotKey/Key.h"
#include "HotKey/ModifierFlags.h"

#include <QVariantMap>

#include <cstdint>
#include <optional>
#include <vector>

class QMenu;

// A key code plus a Carbon modifier mask: what gets registered as a global shortcut. The code
// need not belong to a Key; such a combo is still a combo, only without a key.
struct KeyCombo {
    std::uint32_t carbonKeyCode = 0;
    std::uint32_t carbonModifiers = 0;

    KeyCombo(std::uint32_t keyCode, std::uint32_t modifiers)
        : carbonKeyCode(keyCode)
        , carbonModifiers(modifiers) {}
    KeyCombo(Key key, ModifierFlags modifiers)
        : carbonKeyCode(::carbonKeyCode(key))
        , carbonModifiers(modifiers.carbonFlags()) {}

    bool operator==(const KeyCombo&) const = default;

    std::optional<Key> key() const { return keyFromCarbonKeyCode(carbonKeyCode); }
    // No key stores code 0, which reads back as Key::a.
    void setKey(std::optional<Key> key) { carbonKeyCode = key ? ::carbonKeyCode(*key) : 0; }

    ModifierFlags modifiers() const { return ModifierFlags::fromCarbonFlags(carbonModifiers); }
    void setModifiers(ModifierFlags modifiers) { carbonModifiers = modifiers.carbonFlags(); }

    bool isValid() const { return true; }

    // Modifier symbols then the key's string ("⌃⌥A"); the symbols alone for an unknown code.
    QString description() const;
    // As this keyboard names it: "Ctrl+Alt+A" (Shift, Super); an unknown code by its number.
    QString keyboardName() const;

    // {"keyCode": code, "modifiers": mask}, both as signed integers.
    QVariantMap dictionary() const;
    // The inverse; none unless both entries hold integers that fit 32 unsigned bits.
    static std::optional<KeyCombo> fromDictionary(const QVariantMap& dictionary);

    // No code-to-character translation is offered.
    static std::optional<QString> carbonKeyCodeToString(std::uint32_t keyCode);

    // The 46 combinations applications conventionally claim (⌘Q, ⌘C, ⇧⌘Z ...), in a fixed order.
    static std::vector<KeyCombo> standardKeyCombos();

    // The combinations the desktop reserves. X11 has no registry of them, so this is empty.
    static std::vector<KeyCombo> systemKeyCombos();

    // The objectName by which mainMenuKeyCombos() finds the application's main menu among the
    // top-level widgets.
    static constexpr const char* mainMenuObjectName = "mainMenu";
    // keyCombos(in:) of the main menu; empty when the application has none.
    static std::vector<KeyCombo> mainMenuKeyCombos();
    // The shortcuts of a menu's actions, each followed by those of its submenu, depth first.
    // An action's key is read by keyFromString; shortcuts it cannot read contribute nothing.
    static std::vector<KeyCombo> keyCombos(const QMenu& menu);
};
