#pragma once

#include <QString>
#include <Qt>

#include <array>
#include <cstdint>

// Bits of the Carbon modifier mask, the form in which shortcuts are registered and stored.
namespace CarbonModifiers {
inline constexpr std::uint32_t command = 0x0100;
inline constexpr std::uint32_t shift = 0x0200;
inline constexpr std::uint32_t option = 0x0800;
inline constexpr std::uint32_t control = 0x1000;
} // namespace CarbonModifiers

// The desktop's modifier flags as a 64-bit set, with the bit values the stored shortcuts and the
// rest of the system assume. Only control, option, shift and command take part in shortcuts;
// every other bit is dropped by the conversions.
struct ModifierFlags {
    std::uint64_t rawValue = 0;

    static const ModifierFlags capsLock;
    static const ModifierFlags shift;
    static const ModifierFlags control;
    static const ModifierFlags option;
    static const ModifierFlags command;
    static const ModifierFlags numericPad;
    static const ModifierFlags help;
    static const ModifierFlags function;

    constexpr bool contains(ModifierFlags other) const {
        return (rawValue & other.rawValue) == other.rawValue;
    }
    friend constexpr ModifierFlags operator|(ModifierFlags a, ModifierFlags b) {
        return {a.rawValue | b.rawValue};
    }
    constexpr bool operator==(const ModifierFlags&) const = default;

    // The Carbon mask of the four shortcut modifiers present.
    std::uint32_t carbonFlags() const;
    static ModifierFlags fromCarbonFlags(std::uint32_t carbonFlags);

    // Control → control, Alt → option, Shift → shift, Meta (Super) → command.
    static ModifierFlags fromQt(Qt::KeyboardModifiers modifiers);

    // "⌃⌥⇧⌘" in that fixed order, each symbol only when its modifier is present.
    QString description() const;
    // The modifiers present in the same order, each as `words` spells it (control, option,
    // shift, command).
    QString spelled(const std::array<const char*, 4>& words) const;
};

inline constexpr ModifierFlags ModifierFlags::capsLock{0x10000};
inline constexpr ModifierFlags ModifierFlags::shift{0x20000};
inline constexpr ModifierFlags ModifierFlags::control{0x40000};
inline constexpr ModifierFlags ModifierFlags::option{0x80000};
inline constexpr ModifierFlags ModifierFlags::command{0x100000};
inline constexpr ModifierFlags ModifierFlags::numericPad{0x200000};
inline constexpr ModifierFlags ModifierFlags::help{0x400000};
inline constexpr ModifierFlags ModifierFlags::function{0x800000};
