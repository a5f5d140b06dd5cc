#pragma once

#include "sync/EditTimes.h"
#include "sync/RemoteCollection.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QUuid>

#include <optional>

class PreferenceStore;

// What this device knows of the server since the last sync: the collection's sync token
// and, for each synced task, where it lives, its ETag and its text as last seen there.
// Kept in a store value of its own beside the task list.
struct SyncState {
    using Item = RemoteCollection::Resource;
    QString token;
    QHash<QUuid, Item> items;
    // Tasks the server no longer lists, kept here until the user agrees to delete them. Their
    // items stay, so that they are neither sent again nor forgotten once the token moves on.
    QSet<QUuid> held;
    // The local changes no sync has settled yet, with when they were made.
    EditTimes edited;

    QByteArray encode() const;
    // Nullopt for anything that is not a state this wrote.
    static std::optional<SyncState> decode(const QByteArray& json);

    // A missing state reads as empty; an unreadable one too, after a line saying so, so the
    // next sync compares everything afresh and loses nothing.
    static SyncState load(const PreferenceStore& store);
    [[nodiscard]] bool save(const PreferenceStore& store) const;
};
