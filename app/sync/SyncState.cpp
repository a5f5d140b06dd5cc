#include "sync/SyncState.h"

#include "store/PreferenceStore.h"
#include "store/StoreKeys.h"
#include "support/Console.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QByteArray SyncState::encode() const {
    QJsonArray list;
    for (auto it = items.cbegin(); it != items.cend(); ++it) {
        list.append(QJsonObject{{QStringLiteral("id"), it.key().toString(QUuid::WithoutBraces)},
                                {QStringLiteral("href"), it->href},
                                {QStringLiteral("etag"), QString::fromUtf8(it->etag)},
                                {QStringLiteral("ics"), QString::fromUtf8(it->ics)}});
    }
    QJsonArray heldIds;
    for (const QUuid& id : held) {
        heldIds.append(id.toString(QUuid::WithoutBraces));
    }
    QJsonObject editedAt;
    for (auto it = edited.at.cbegin(); it != edited.at.cend(); ++it) {
        editedAt.insert(it.key().toString(QUuid::WithoutBraces), it->secondsSinceReferenceDate);
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("token"), token},
                                     {QStringLiteral("items"), list},
                                     {QStringLiteral("held"), heldIds},
                                     {QStringLiteral("edited"), editedAt}})
        .toJson(QJsonDocument::Compact);
}

std::optional<SyncState> SyncState::decode(const QByteArray& json) {
    const QJsonDocument doc = QJsonDocument::fromJson(json);
    const QJsonObject root = doc.object();
    if (!root.value(QStringLiteral("token")).isString() ||
        !root.value(QStringLiteral("items")).isArray()) {
        return std::nullopt;
    }
    SyncState state;
    state.token = root.value(QStringLiteral("token")).toString();
    for (const QJsonValue& value : root.value(QStringLiteral("items")).toArray()) {
        const QJsonObject o = value.toObject();
        const QUuid id(o.value(QStringLiteral("id")).toString());
        const QString href = o.value(QStringLiteral("href")).toString();
        if (id.isNull() || href.isEmpty()) {
            return std::nullopt;
        }
        state.items.insert(id, {href, o.value(QStringLiteral("etag")).toString().toUtf8(),
                                o.value(QStringLiteral("ics")).toString().toUtf8()});
    }
    // A state written before deletions could be held has none.
    for (const QJsonValue& value : root.value(QStringLiteral("held")).toArray()) {
        const QUuid id(value.toString());
        if (!state.items.contains(id)) {
            return std::nullopt;
        }
        state.held.insert(id);
    }
    // Nor one written before edits were timed.
    const QJsonObject editedAt = root.value(QStringLiteral("edited")).toObject();
    for (auto it = editedAt.constBegin(); it != editedAt.constEnd(); ++it) {
        const QUuid id(it.key());
        if (id.isNull() || !it->isDouble()) {
            return std::nullopt;
        }
        state.edited.at.insert(id, Date{it->toDouble()});
    }
    return state;
}

SyncState SyncState::load(const PreferenceStore& store) {
    const std::optional<QByteArray> bytes = store.data(StoreKeys::syncState);
    if (!bytes) {
        return {};
    }
    std::optional<SyncState> state = decode(*bytes);
    if (!state) {
        Console::printLine(
            QStringLiteral("Sync state unreadable; the next sync compares every task"));
        return {};
    }
    return *state;
}

bool SyncState::save(const PreferenceStore& store) const {
    return store.setData(StoreKeys::syncState, encode());
}
