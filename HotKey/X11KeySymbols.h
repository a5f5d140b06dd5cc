#pragma once

#include "HotKey/Key.h"

#include <cstdint>
#include <optional>

// How keys and modifiers are named to the X server.

// The X keysym a key produces without Shift (letters lower case, keypad keys their NumLock
// meaning); none for the fn key, which never reaches X clients.
std::optional<std::uint32_t> x11KeySym(Key key);

// The X modifier mask of a Carbon modifier mask: control → Control, option → Mod1 (Alt),
// shift → Shift, command → Mod4 (Super); any other bit is dropped.
std::uint16_t x11Modifiers(std::uint32_t carbonModifiers);
