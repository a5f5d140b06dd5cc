#include "sync/SyncControl.h"

#include "sync/SyncPassword.h"

namespace {

SyncService::Connection connectionFor(const SyncAccount& account) {
    return {account.collection, account.user, {}};
}

} // namespace

SyncControl::SyncControl(SyncService& service, PreferenceStore store, QObject* parent)
    : QObject(parent)
    , service_(service)
    , store_(std::move(store))
    , account_(SyncAccount::load(store_)) {}

void SyncControl::resume() {
    const unsigned resume = ++resumes_;
    if (!account_) {
        return;
    }
    SyncService::Connection connection = connectionFor(*account_);
    if (!account_->passwordFile.isEmpty()) {
        // Read at every sync, so a changed file counts from the next one.
        connection.password = [file = account_->passwordFile] {
            return SyncPassword::fromFile(file);
        };
        service_.start(std::move(connection));
        return;
    }
    SyncPassword::read(SyncPassword::entryFor(account_->user, account_->server), this,
                       [this, connection, resume](const SyncPassword::Lookup& found) mutable {
                           if (resume == resumes_) {
                               connection.password = [found] { return found; };
                               service_.start(std::move(connection));
                           }
                       });
}

SyncControl::Reply SyncControl::setUp(const SyncAccount& account,
                                      const std::optional<QString>& password) {
    if (password) {
        const QString failure =
            SyncPassword::store(SyncPassword::entryFor(account.user, account.server), *password);
        if (!failure.isEmpty()) {
            return {false, QStringLiteral("Sync not set up: the secret store refused the "
                                          "password (") +
                               failure + QStringLiteral("); use --password-file instead")};
        }
    }
    service_.stop();
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

SyncControl::Reply SyncControl::turnOff() {
    service_.stop();
    ++resumes_;
    if (!account_) {
        return {true, QStringLiteral("Sync was not set up")};
    }
    const QString secret =
        account_->passwordFile.isEmpty()
            ? SyncPassword::forget(SyncPassword::entryFor(account_->user, account_->server))
            : QString();
    if (!SyncAccount::forget(store_)) {
        return {false, QStringLiteral("Sync not stopped: the store cannot be written")};
    }
    account_.reset();
    emit accountChanged();
    if (!secret.isEmpty()) {
        return {true, QStringLiteral("Sync stopped; every task stays here. The password could "
                                     "not be removed from the secret store: ") +
                          secret};
    }
    return {true, QStringLiteral("Sync stopped; every task stays here")};
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
