#pragma once

#include "HotKey/Key.h"

#include <cstdint>
#include <optional>

// The X keysym a key produces without Shift (letters lower case, keypad keys their NumLock
// meaning); none for the fn key, which never reaches X clients.
std::optional<std::uint32_t> x11KeySym(Key key);
