#include "store/DBManager.h"

#include "store/ShortcutAction.h"

#include "store/PreferenceStore.h"
#include "store/StoreKeys.h"
#include "support/Console.h"

#include <bitset>
#include <map>

namespace {

using Kind = PreferenceStore::Kind;
using State = StoreFiles::ReadResult::State;

// Stored lists whose file could neither be read nor moved aside, by file path, with why it
// is unreadable. Such a file must not be replaced before its bytes are safe, so saves to it
// are refused (the application keeps the list in memory) and each one tries again.
std::map<QString, QString>& heldBack() {
    static std::map<QString, QString> lists;
    return lists;
}

// Moves the file of an unreadable list aside, whole, before any save may replace it. False
// when it cannot be moved: the list is then held back, which is said once.
bool keepAside(const PreferenceStore& store, const QString& key, const QString& why) {
    const QString path = store.filePath(key, Kind::Data);
    const auto moved = store.keepAside(key, Kind::Data);
    const QString unreadable = QStringLiteral("is unreadable (%1)").arg(why);
    switch (moved.state) {
    case StoreFiles::MoveResult::State::Moved:
        Console::printLine("DBManager: stored", key, unreadable + u';', "its bytes are kept in",
                           moved.detail);
        break;
    case StoreFiles::MoveResult::State::NothingThere:
        break;
    case StoreFiles::MoveResult::State::Failed:
        if (heldBack().emplace(path, why).second) {
            Console::printLine("DBManager: stored", key, unreadable,
                               "and could not be kept aside:", moved.detail,
                               "- changes to it are kept in memory only, until it can be");
        }
        return false;
    }
    heldBack().erase(path);
    return true;
}

template <typename T, typename Decode> std::vector<T> readList(const QString& key, Decode decode) {
    const PreferenceStore store = PreferenceStore::standard();
    const auto stored = store.load(key, Kind::Data);
    QString why = stored.error;
    if (stored.state == State::Missing) {
        return {};
    }
    if (stored.state == State::Read) {
        if (auto list = decode(stored.bytes)) {
            return std::move(*list);
        }
        why = stored.bytes.isEmpty() ? QStringLiteral("empty") : QStringLiteral("not a valid list");
    }
    keepAside(store, key, why);
    return {};
}

Saved writeList(const QString& key, const std::optional<QByteArray>& bytes) {
    if (!bytes) {
        Console::printLine("DBManager:", key,
                           "not saved - it holds a time that is not a finite number;",
                           "the stored one stays");
        return {QStringLiteral("a time that is not a finite number")};
    }
    const PreferenceStore store = PreferenceStore::standard();
    const auto held = heldBack().find(store.filePath(key, Kind::Data));
    if (held != heldBack().end() && !keepAside(store, key, held->second)) {
        return {QStringLiteral("the stored list is unreadable and cannot be kept aside")};
    }
    return store.setData(key, *bytes);
}

// Seven different keys, each one of the assignable ones.
bool isValidAssignment(const std::vector<std::int64_t>& indexes) {
    if (indexes.size() != shortcutActionCount) {
        return false;
    }
    std::bitset<DBManager::assignableKeyCount> seen;
    for (const std::int64_t i : indexes) {
        if (i < 0 || i >= static_cast<std::int64_t>(seen.size()) ||
            seen.test(static_cast<size_t>(i))) {
            return false;
        }
        seen.set(static_cast<size_t>(i));
    }
    return true;
}

} // namespace

std::vector<Task> DBManager::getTaskList() {
    return readList<Task>(StoreKeys::tasksData, Json::decodeTasks);
}

Saved DBManager::saveTaskList(const std::vector<Task>& tasks) {
    return writeList(StoreKeys::tasksData, Json::encodeTasks(tasks));
}

std::vector<SystemMessage> DBManager::getSystemMessages() {
    return readList<SystemMessage>(StoreKeys::systemMessages, Json::decodeSystemMessages);
}

Saved DBManager::saveSystemMessages(const std::vector<SystemMessage>& messages) {
    return writeList(StoreKeys::systemMessages, Json::encodeSystemMessages(messages));
}

std::vector<std::int64_t> DBManager::getSeenSysyemMessages() {
    return readList<std::int64_t>(StoreKeys::seenSystemMessages, Json::decodeIntegers);
}

Saved DBManager::saveSeenSysyemMessages(const std::vector<std::int64_t>& seen) {
    return writeList(StoreKeys::seenSystemMessages, Json::encodeIntegers(seen));
}

std::vector<std::int64_t> DBManager::getKeys() {
    auto stored = PreferenceStore::standard().integers(StoreKeys::keyIndexes);
    if (!stored || !isValidAssignment(*stored)) {
        return defaultKeyIndexes();
    }
    return std::move(*stored);
}

bool DBManager::saveKeys(const std::vector<std::int64_t>& keyIndexes) {
    return PreferenceStore::standard().setIntegers(StoreKeys::keyIndexes, keyIndexes);
}

const std::vector<std::int64_t>& DBManager::defaultKeyIndexes() {
    static const std::vector<std::int64_t> indexes = [] {
        std::vector<std::int64_t> defaults;
        for (const ShortcutActionInfo& info : shortcutActions) {
            defaults.push_back(info.defaultKeyIndex);
        }
        return defaults;
    }();
    return indexes;
}
