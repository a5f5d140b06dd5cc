#pragma once

#include "HotKey/Key.h"
#include "store/DBManager.h"

#include <array>

// The keys a shortcut can be given, A to Z then 0 to 9; the stored assignment holds positions
// in this list.
namespace AssignableKeys {

const std::array<Key, DBManager::assignableKeyCount>& all();

} // namespace AssignableKeys
