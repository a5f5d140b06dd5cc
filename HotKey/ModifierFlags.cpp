#include "HotKey/ModifierFlags.h"

#include <array>

namespace {

struct ModifierRow {
    ModifierFlags flag;
    std::uint32_t carbon;
    Qt::KeyboardModifier qt;
    const char16_t* symbol;
};

// In display order.
const std::array<ModifierRow, 4> modifierTable{{
    {ModifierFlags::control, CarbonModifiers::control, Qt::ControlModifier, u"\u2303"},
    {ModifierFlags::option, CarbonModifiers::option, Qt::AltModifier, u"\u2325"},
    {ModifierFlags::shift, CarbonModifiers::shift, Qt::ShiftModifier, u"\u21E7"},
    {ModifierFlags::command, CarbonModifiers::command, Qt::MetaModifier, u"\u2318"},
}};

} // namespace

std::uint32_t ModifierFlags::carbonFlags() const {
    std::uint32_t carbon = 0;
    for (const ModifierRow& row : modifierTable) {
        if (contains(row.flag)) {
            carbon |= row.carbon;
        }
    }
    return carbon;
}

ModifierFlags ModifierFlags::fromCarbonFlags(std::uint32_t carbonFlags) {
    ModifierFlags flags;
    for (const ModifierRow& row : modifierTable) {
        if ((carbonFlags & row.carbon) != 0) {
            flags = flags | row.flag;
        }
    }
    return flags;
}

ModifierFlags ModifierFlags::fromQt(Qt::KeyboardModifiers modifiers) {
    ModifierFlags flags;
    for (const ModifierRow& row : modifierTable) {
        if (modifiers.testFlag(row.qt)) {
            flags = flags | row.flag;
        }
    }
    return flags;
}

QString ModifierFlags::spelled(const std::array<const char*, 4>& words) const {
    const std::array<ModifierFlags, 4> order{control, option, shift, command};
    QString text;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (contains(order[i])) {
            text += QLatin1StringView(words[i]);
        }
    }
    return text;
}

QString ModifierFlags::description() const {
    QString text;
    for (const ModifierRow& row : modifierTable) {
        if (contains(row.flag)) {
            text += QString::fromUtf16(row.symbol);
        }
    }
    return text;
}
