#pragma once

#include "HotKey/KeyCombo.h"

#include <ostream>

// Readable combos in failure messages.
inline void PrintTo(const KeyCombo& combo, std::ostream* os) {
    *os << "KeyCombo(" << combo.carbonKeyCode << ", 0x" << std::hex << combo.carbonModifiers
        << std::dec << ' ' << combo.description().toStdString() << ')';
}
