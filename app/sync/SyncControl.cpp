#include "sync/SyncControl.h"

#include "support/Console.h"
#include "sync/SyncPassword.h"

#include <QPointer>

SyncControl::SyncControl(SyncService& service, PreferenceStore store, QObject* parent)
    : QObject(parent)
    , service_(service)
    , store_(std::move(store))
    , account_(SyncAccount::load(store_)) {}

void SyncControl::resume() {
    if (!account_) {
        return;
    }
    SyncService::Connection connection{account_->collection, account_->user, {}};
    // Read at every sync, so a changed password counts from the next one.
    if (!account_->passwordFile.isEmpty()) {
        connection.password = [file = account_->passwordFile] {
            return SyncPassword::fromFile(file);
        };
    } else {
        // The sync that asks keeps the backend.
        connection.password = [&backend = service_.backend(),
                               entry = SyncPassword::entryFor(account_->user, account_->server)] {
            return backend.readPassword(entry);
        };
    }
    service_.syncWith(std::move(connection));
}

SyncControl::Reply SyncControl::setUp(const SyncAccount& account) {
    service_.stopSyncing();
    const bool sameCollection = account_ && account_->collection == account.collection;
    if (!sameCollection && !SyncAccount::forget(store_)) {
        return {false, QStringLiteral("Sync not set up: the store cannot be written")};
    }
    if (!account.save(store_)) {
        return {false, QStringLiteral("Sync not set up: the store cannot be written")};
    }
    account_ = account;
    resume();
    emit accountChanged();
    return {true, QStringLiteral("Syncing with ") + account.collection.toDisplayString() +
                      QStringLiteral(" as ") + account.user};
}

void SyncControl::setUp(const SyncAccount& account, const QString& password, const QObject* context,
                        std::function<void(const Reply&)> done) {
    service_.backend().storePassword(
        SyncPassword::entryFor(account.user, account.server), password, this,
        [this, account, context = QPointer<const QObject>(context),
         done = std::move(done)](const QString& failure) {
            // Chosen is chosen: the set-up goes on without the window that asked.
            const Reply reply =
                failure.isEmpty()
                    ? setUp(account)
                    : Reply{false, QStringLiteral("Sync not set up: the secret store refused the "
                                                  "password (") +
                                       failure + QStringLiteral("); use --password-file instead")};
            if (context) {
                done(reply);
            }
        });
}

SyncControl::Reply SyncControl::turnOff() {
    service_.stopSyncing();
    const std::optional<SyncAccount> account = account_;
    if (account && !SyncAccount::forget(store_)) {
        return {false, QStringLiteral("Sync not stopped: the store cannot be written")};
    }
    account_.reset();
    if (account) {
        emit accountChanged();
    }
    if (account && account->passwordFile.isEmpty()) {
        service_.backend().forgetPassword(
            SyncPassword::entryFor(account->user, account->server), this,
            [this](const QString& failure) {
                if (!failure.isEmpty()) {
                    Console::printLine(QStringLiteral("The password could not be removed "
                                                      "from the secret store: ") +
                                       failure);
                }
                emit secretForgotten(failure);
            });
    } else {
        QMetaObject::invokeMethod(
            this, [this] { emit secretForgotten({}); }, Qt::QueuedConnection);
    }
    return {true, account ? QStringLiteral("Sync stopped; every task stays here")
                          : QStringLiteral("Sync was not set up")};
}

SyncControl::Reply SyncControl::syncNow() {
    if (!service_.isActive()) {
        return {false, QStringLiteral("Sync is not set up")};
    }
    service_.syncNow();
    return {true, QStringLiteral("Syncing now")};
}

SyncControl::Reply SyncControl::acceptDeletions() {
    if (!service_.isActive()) {
        return {false, QStringLiteral("Sync is not set up")};
    }
    service_.acceptDeletions();
    return {true,
            QStringLiteral("Syncing now; what the server no longer lists goes from here too")};
}

SyncControl::Reply SyncControl::restoreRemoved() {
    const std::optional<qsizetype> restored = service_.restoreRemoved();
    if (!restored) {
        return {false, QStringLiteral("Tasks not brought back: the store cannot be written")};
    }
    service_.syncNow();
    return {true, *restored == 0
                      ? QStringLiteral("No task removed by sync to bring back")
                      : QStringLiteral("Brought back %1 tasks removed by sync").arg(*restored)};
}
