#include "shortcuts/AssignableKeys.h"

namespace AssignableKeys {

const std::array<Key, DBManager::assignableKeyCount>& all() {
    static const auto list = [] {
        std::array<Key, DBManager::assignableKeyCount> k{};
        for (size_t i = 0; i < k.size(); ++i) {
            // The letters and then the digits lead the key order.
            k[i] = allKeys()[i];
        }
        return k;
    }();
    return list;
}

} // namespace AssignableKeys
