#pragma once

#include "store/PreferenceStore.h"
#include "sync/SyncAccount.h"
#include "sync/SyncService.h"

#include <QObject>
#include <QString>

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

    // Starts syncing with the stored account, if one is set up, once its password is found.
    void resume();
    // Syncs with `account` from now on; a password given goes to the secret store first. A
    // new collection starts from a fresh comparison.
    Reply setUp(const SyncAccount& account, const std::optional<QString>& password = {});
    // "Stop syncing": every task stays; the account, the sync state and the secret go.
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

private:
    SyncService& service_;
    PreferenceStore store_;
    std::optional<SyncAccount> account_;
    // Counts resumes, so that a secret store's late answer for a former account is dropped.
    unsigned resumes_ = 0;
};
