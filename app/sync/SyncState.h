#pragma once

#include "sync/CalDavClient.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QUuid>

#include <optional>

class PreferenceStore;

// What this device knows of the server since the last sync: the collection's sync token
// and, for each synced task, where it lives, its ETag and its text as last seen there.
// Kept in a store value of its own beside the task list.
struct SyncState {
    using Item = CalDavClient::Resource;
    QString token;
    QHash<QUuid, Item> items;

    QByteArray encode() const;
    // Nullopt for anything that is not a state this wrote.
    static std::optional<SyncState> decode(const QByteArray& json);

    // A missing state reads as empty; an unreadable one too, after a line saying so, so the
    // next sync compares everything afresh and loses nothing.
    static SyncState load(const PreferenceStore& store);
    [[nodiscard]] bool save(const PreferenceStore& store) const;
};
