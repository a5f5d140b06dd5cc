#include "HotKey/portal/PortalTrigger.h"

#include "HotKey/X11KeySymbols.h"

#include <xkbcommon/xkbcommon.h>

#include <array>

std::optional<QString> portalTrigger(const KeyCombo& combo) {
    const std::optional<Key> key = combo.key();
    const std::optional<std::uint32_t> keysym = key ? x11KeySym(*key) : std::nullopt;
    if (!keysym) {
        return std::nullopt;
    }
    std::array<char, 64> name{};
    if (xkb_keysym_get_name(*keysym, name.data(), name.size()) <= 0) {
        return std::nullopt;
    }
    return combo.modifiers().spelled({"CTRL+", "ALT+", "SHIFT+", "LOGO+"}) +
           QString::fromLatin1(name.data());
}
