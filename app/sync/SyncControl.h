#pragma once

#include "store/PreferenceStore.h"
#include "sync/SyncAccount.h"
#include "sync/SyncService.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

// The sync as the user sets it up: the stored account, its password and the service that
// runs with them. The settings window, the menu and the command line all go through here.
class SyncControl : public QObject {
    Q_OBJECT
public:
    // What a request did, or why it did nothing.
    struct Reply {
        bool done = false;
        QString message;
    };

    SyncControl(SyncService& service, PreferenceStore store, QObject* parent = nullptr);

    // Starts syncing with the stored account, if one is set up. Each sync reads the
    // password afresh, on the sync's thread, and drops it afterwards.
    void resume();
    // Syncs with `account` from now on; its password is already where the sync finds it. A
    // new collection starts from a fresh comparison.
    Reply setUp(const SyncAccount& account);
    // The same once `password` is in the secret store, without waiting for it here; `done`
    // then gets the reply on this thread, unless `context` is gone by then.
    void setUp(const SyncAccount& account, const QString& password, const QObject* context,
               std::function<void(const Reply&)> done);
    // "Stop syncing": every task stays; the account and the sync state go at once, the
    // secret soon after, and `secretForgotten` follows every stop that was done.
    Reply turnOff();
    Reply syncNow();
    // One sync that also removes here what the server no longer lists, however much.
    Reply acceptDeletions();
    // Brings back the tasks syncs removed lately; the next sync sends them up again.
    Reply restoreRemoved();

    const std::optional<SyncAccount>& account() const { return account_; }
    SyncService& service() { return service_; }

signals:
    void accountChanged();
    // Why the secret store still holds the password of the account turned off, or nothing.
    void secretForgotten(const QString& failure);

private:
    SyncService& service_;
    PreferenceStore store_;
    std::optional<SyncAccount> account_;
};
