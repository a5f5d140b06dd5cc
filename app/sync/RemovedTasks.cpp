#include "sync/RemovedTasks.h"

#include "store/PreferenceStore.h"
#include "store/StoreKeys.h"
#include "support/Console.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// One sync's removals.
struct Batch {
    Date at;
    std::vector<Task> tasks;
};

constexpr double keptSeconds = RemovedTasks::keptDays * 24.0 * 3600.0;

// Nullopt when the value is there but is not a list of batches.
std::optional<std::vector<Batch>> decode(const QByteArray& json) {
    const QJsonDocument doc = QJsonDocument::fromJson(json);
    if (!doc.isArray()) {
        return std::nullopt;
    }
    std::vector<Batch> batches;
    for (const QJsonValue& value : doc.array()) {
        const QJsonObject o = value.toObject();
        const auto tasks =
            Json::decodeTasks(QJsonDocument(o.value(QStringLiteral("tasks")).toArray()).toJson());
        if (!o.value(QStringLiteral("at")).isDouble() ||
            !o.value(QStringLiteral("tasks")).isArray() || !tasks) {
            return std::nullopt;
        }
        batches.push_back({Date{o.value(QStringLiteral("at")).toDouble()}, *tasks});
    }
    return batches;
}

std::optional<QByteArray> encode(const std::vector<Batch>& batches) {
    QByteArray json = "[";
    for (const Batch& batch : batches) {
        const std::optional<QByteArray> tasks = Json::encodeTasks(batch.tasks);
        if (!tasks) {
            return std::nullopt;
        }
        json += (json.size() > 1 ? ",{\"at\":" : "{\"at\":") +
                QByteArray::number(batch.at.secondsSinceReferenceDate, 'g', 17) +
                ",\"tasks\":" + *tasks + '}';
    }
    return json + ']';
}

// The batches within the bounds at `now`, the latest first; nullopt when unreadable.
std::optional<std::vector<Batch>> load(const PreferenceStore& store, Date now) {
    const StoreFiles::ReadResult file =
        store.load(StoreKeys::syncRemovedTasks, PreferenceStore::Kind::Data);
    if (file.state == StoreFiles::ReadResult::State::Missing) {
        return std::vector<Batch>{};
    }
    auto batches =
        file.state == StoreFiles::ReadResult::State::Read ? decode(file.bytes) : std::nullopt;
    if (batches) {
        std::erase_if(*batches, [now](const Batch& b) {
            return now.secondsSinceReferenceDate - b.at.secondsSinceReferenceDate > keptSeconds;
        });
        if (batches->size() > RemovedTasks::keptSyncs) {
            batches->resize(RemovedTasks::keptSyncs);
        }
    }
    return batches;
}

} // namespace

namespace RemovedTasks {

std::vector<Task> kept(const PreferenceStore& store, Date now) {
    std::vector<Task> tasks;
    for (Batch& batch : load(store, now).value_or(std::vector<Batch>{})) {
        std::move(batch.tasks.begin(), batch.tasks.end(), std::back_inserter(tasks));
    }
    return tasks;
}

bool add(const PreferenceStore& store, const std::vector<Task>& removed, Date now) {
    std::optional<std::vector<Batch>> batches = load(store, now);
    if (!batches) {
        const StoreFiles::MoveResult aside =
            store.keepAside(StoreKeys::syncRemovedTasks, PreferenceStore::Kind::Data);
        if (aside.state == StoreFiles::MoveResult::State::Failed) {
            return false;
        }
        Console::printLine(QStringLiteral("Tasks removed by sync unreadable; kept as"),
                           aside.detail);
        batches.emplace();
    }
    batches->insert(batches->begin(), {now, removed});
    if (batches->size() > keptSyncs) {
        batches->resize(keptSyncs);
    }
    const std::optional<QByteArray> json = encode(*batches);
    return json && store.setData(StoreKeys::syncRemovedTasks, *json);
}

bool clear(const PreferenceStore& store) {
    return store.setData(StoreKeys::syncRemovedTasks, "[]");
}

} // namespace RemovedTasks
