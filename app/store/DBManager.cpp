#include "store/DBManager.h"

#include "store/ShortcutAction.h"

#include "store/PreferenceStore.h"
#include "support/Console.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <algorithm>

namespace {

const QString tasksKey = QStringLiteral("tasksData");
const QString messagesKey = QStringLiteral("systemMessages");
const QString seenKey = QStringLiteral("seenSystemMessages");
const QString keyIndexesKey = QStringLiteral("keyIndexes");

// Keeps the bytes of an unreadable stored list beside it, under a name that is never
// overwritten, before any save can replace them. The same bytes are kept only once.
void keepUnreadable(const PreferenceStore& store, const QString& key, const QByteArray& bytes) {
    const QDir dir(store.directory());
    const QString prefix = key + QStringLiteral(".unreadable-");
    for (const QString& name : dir.entryList({prefix + u'*'}, QDir::Files)) {
        QFile kept(dir.filePath(name));
        if (kept.size() == bytes.size() && kept.open(QIODevice::ReadOnly) &&
            kept.readAll() == bytes) {
            return;
        }
    }
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    QString path = dir.filePath(prefix + stamp + QStringLiteral(".data"));
    for (int n = 1; QFile::exists(path); ++n) {
        path = dir.filePath(prefix + stamp + u'-' + QString::number(n) + QStringLiteral(".data"));
    }
    QFile out(path);
    if (out.open(QIODevice::NewOnly) && out.write(bytes) == bytes.size() && out.flush()) {
        Console::printLine("DBManager: stored", key, "is unreadable; its bytes are kept in", path);
    } else {
        Console::printLine("DBManager: stored", key,
                           "is unreadable and could not be kept aside:", out.errorString());
    }
}

template <typename T, typename Decode> std::vector<T> readList(const QString& key, Decode decode) {
    const PreferenceStore store = PreferenceStore::standard();
    const auto bytes = store.data(key);
    if (!bytes) {
        return {};
    }
    auto list = decode(*bytes);
    if (!list) {
        if (!bytes->isEmpty()) {
            keepUnreadable(store, key, *bytes);
        }
        return {};
    }
    return std::move(*list);
}

bool writeList(const QString& key, const std::optional<QByteArray>& bytes) {
    return bytes && PreferenceStore::standard().setData(key, *bytes);
}

bool isValidAssignment(const std::vector<std::int64_t>& indexes) {
    return indexes.size() == shortcutActionCount &&
           std::all_of(indexes.begin(), indexes.end(), [](std::int64_t i) {
               return i >= 0 && i < static_cast<std::int64_t>(DBManager::assignableKeyCount);
           });
}

} // namespace

std::vector<Task> DBManager::getTaskList() {
    return readList<Task>(tasksKey, Json::decodeTasks);
}

bool DBManager::saveTaskList(const std::vector<Task>& tasks) {
    return writeList(tasksKey, Json::encodeTasks(tasks));
}

std::vector<SystemMessage> DBManager::getSystemMessages() {
    return readList<SystemMessage>(messagesKey, Json::decodeSystemMessages);
}

bool DBManager::saveSystemMessages(const std::vector<SystemMessage>& messages) {
    return writeList(messagesKey, Json::encodeSystemMessages(messages));
}

std::vector<std::int64_t> DBManager::getSeenSysyemMessages() {
    return readList<std::int64_t>(seenKey, Json::decodeIntegers);
}

void DBManager::saveSeenSysyemMessages(const std::vector<std::int64_t>& seen) {
    writeList(seenKey, Json::encodeIntegers(seen));
}

std::vector<std::int64_t> DBManager::getKeys() {
    auto stored = PreferenceStore::standard().integers(keyIndexesKey);
    if (!stored || !isValidAssignment(*stored)) {
        return defaultKeyIndexes();
    }
    return std::move(*stored);
}

void DBManager::saveKeys(const std::vector<std::int64_t>& keyIndexes) {
    PreferenceStore::standard().setIntegers(keyIndexesKey, keyIndexes);
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

const std::array<Key, DBManager::assignableKeyCount>& DBManager::keys() {
    static const auto list = [] {
        std::array<Key, assignableKeyCount> k{};
        for (size_t i = 0; i < k.size(); ++i) {
            // The letters and then the digits lead the key order.
            k[i] = allKeys()[i];
        }
        return k;
    }();
    return list;
}
