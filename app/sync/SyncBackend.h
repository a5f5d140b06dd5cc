#pragma once

#include "sync/RemoteCollection.h"
#include "sync/ServerAccess.h"
#include "sync/SyncPassword.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>
#include <stop_token>
#include <variant>
#include <vector>

// What sync needs from the protocol and from the desktop's secret store. The application
// loads its implementation as a module at first use, so that a machine that never syncs
// never maps their libraries.
class SyncBackend {
public:
    using Failure = RemoteCollection::Failure;
    using Found = std::variant<std::vector<TaskCollection>, Failure>;

    virtual ~SyncBackend() = default;

    // The collection at `url`, spoken to on the calling thread; or why there is none.
    virtual std::variant<std::unique_ptr<RemoteCollection>, QString>
    open(const QUrl& url, const ServerCredentials& credentials, ServerBounds bounds) = 0;
    // The collections that hold the user's tasks on `server`; only its origin is asked.
    virtual Found findTaskCollections(const QUrl& server, const ServerCredentials& credentials,
                                      std::chrono::milliseconds timeout, std::stop_token stop) = 0;

    // The secret store, as in SyncPassword: the waiting calls never on the GUI's thread,
    // the others answer `done` on the thread of `context`, unless it is gone by then.
    virtual SyncPassword::Lookup readPassword(const QString& entry) = 0;
    virtual QString storePassword(const QString& entry, const QString& password) = 0;
    virtual void storePassword(const QString& entry, const QString& password,
                               const QObject* context,
                               std::function<void(const QString&)> done) = 0;
    virtual void forgetPassword(const QString& entry, const QObject* context,
                                std::function<void(const QString&)> done) = 0;
};

// The module's one entry: a new backend, owned by the caller. The name carries the
// interface's version, so that a module built against another one is refused, not called.
#define QUENBY_SYNC_BACKEND_ENTRY quenby_sync_backend_1
using SyncBackendEntry = SyncBackend* (*)();
