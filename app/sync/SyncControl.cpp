#include "sync/SyncControl.h"

#include "support/Console.h"
#include "sync/SyncPassword.h"

#include <QPointer>

SyncControl::SyncControl(SyncService& service, PreferenceStore store, QObject* parent)
    : QObject(parent)
    , service_(service)
    , store_(std::move(store))
    , account_(SyncAccount::load(store_)) {
    secretsWorker_.moveToThread(&secrets_);
    secrets_.setObjectName(QStringLiteral("secrets"));
}

SyncControl::~SyncControl() {
    // Quitting ends the wait of a call in progress as well.
    secrets_.quit();
    secrets_.wait();
}

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
        connection.password = [entry = SyncPassword::entryFor(account_->user, account_->server)] {
            return SyncPassword::read(entry);
        };
    }
    service_.start(std::move(connection));
}

SyncControl::Reply SyncControl::setUp(const SyncAccount& account) {
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

void SyncControl::setUp(const SyncAccount& account, const QString& password, const QObject* context,
                        std::function<void(const Reply&)> done) {
    inSecretStore(
        [entry = SyncPassword::entryFor(account.user, account.server),
         secret = password]() mutable {
            const QString failure = SyncPassword::store(entry, secret);
            SyncPassword::wipe(secret);
            return failure;
        },
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
    service_.stop();
    const std::optional<SyncAccount> account = account_;
    if (account && !SyncAccount::forget(store_)) {
        return {false, QStringLiteral("Sync not stopped: the store cannot be written")};
    }
    account_.reset();
    if (account) {
        emit accountChanged();
    }
    if (account && account->passwordFile.isEmpty()) {
        inSecretStore(
            [entry = SyncPassword::entryFor(account->user, account->server)] {
                return SyncPassword::forget(entry);
            },
            [this](const QString& failure) {
                if (!failure.isEmpty()) {
                    Console::printLine(QStringLiteral("The password could not be removed from "
                                                      "the secret store: ") +
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

void SyncControl::inSecretStore(std::function<QString()> call,
                                std::function<void(const QString&)> then) {
    // Only a machine that keeps its password there pays for the thread.
    if (!secrets_.isRunning()) {
        secrets_.start();
    }
    QMetaObject::invokeMethod(
        &secretsWorker_, [this, call = std::move(call), then = std::move(then)] {
            // This object waits for the thread before it goes, so it is still here.
            QMetaObject::invokeMethod(this, [then, answer = call()] { then(answer); });
        });
}
