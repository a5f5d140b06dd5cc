#pragma once

#include "store/Models.h"
#include "store/Saved.h"

#include <QString>

#include <cstdint>
#include <vector>

// Turns the application's lists into stored values and back. Every call goes to the
// store afresh; nothing is cached. A save answers true when the value is stored; on false
// the stored value stays and a line has said why. A stored list that cannot be read is moved
// aside before anything may replace it; while that cannot be done, saves of it are refused.
class DBManager {
public:
    DBManager() = delete;

    static std::vector<Task> getTaskList();
    static Saved saveTaskList(const std::vector<Task>& tasks);

    static std::vector<SystemMessage> getSystemMessages();
    static Saved saveSystemMessages(const std::vector<SystemMessage>& messages);

    static std::vector<std::int64_t> getSeenSysyemMessages();
    static Saved saveSeenSysyemMessages(const std::vector<std::int64_t>& seen);

    // Seven indexes into `keys`, for the actions A, D, H, 1, 2, W, T.
    static std::vector<std::int64_t> getKeys();
    static bool saveKeys(const std::vector<std::int64_t>& keyIndexes);

    static const std::vector<std::int64_t>& defaultKeyIndexes();
    // How many keys a shortcut can be given; the stored assignment holds positions among them.
    static constexpr std::size_t assignableKeyCount = 36;
};
