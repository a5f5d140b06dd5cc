#pragma once

#include "HotKey/KeyCombo.h"

#include <QString>

#include <optional>

// How a combination is offered to the desktop's shortcuts portal: the modifiers CTRL, ALT,
// SHIFT, LOGO, then the key's xkb keysym name, joined by '+' ("CTRL+ALT+d", "CTRL+ALT+KP_1").
// None for a code that is no key, or a key without a keysym.
std::optional<QString> portalTrigger(const KeyCombo& combo);
