#include "sync/SyncModule.h"

#include "support/Console.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QTimer>

namespace {

// As a backend answers: later, on the thread of `context`, unless it is gone by then.
void failLater(const QObject* context, std::function<void(const QString&)> done) {
    QTimer::singleShot(0, context, [done = std::move(done)] { done(SyncModule::unavailable()); });
}

} // namespace

QString SyncModule::besideBinary(const QString& executable) {
    return QDir::cleanPath(QFileInfo(executable).absolutePath() +
                           QStringLiteral("/" QUENBY_SYNC_MODULE_FROM_BINARY));
}

SyncModule::SyncModule(QString path)
    : path_(std::move(path)) {}

QString SyncModule::unavailable() {
    return QStringLiteral("sync is not available: its module could not be loaded");
}

SyncBackend* SyncModule::backend() {
    std::call_once(loading_, [this] {
        // Never unloaded: what it hands out may live until the process ends.
        QLibrary library(path_);
        if (!library.load()) {
            Console::printLine(QStringLiteral("Sync module not loaded:"), library.errorString());
            return;
        }
        const auto entry = reinterpret_cast<SyncBackendEntry>(
            library.resolve(QT_STRINGIFY(QUENBY_SYNC_BACKEND_ENTRY)));
        if (!entry) {
            Console::printLine(QStringLiteral("Sync module not loaded:"), path_,
                               QStringLiteral("belongs to another version of Quenby"));
            library.unload();
            return;
        }
        backend_.reset(entry());
    });
    return backend_.get();
}

std::variant<std::unique_ptr<RemoteCollection>, QString>
SyncModule::open(const QUrl& url, const ServerCredentials& credentials, ServerBounds bounds) {
    if (SyncBackend* b = backend()) {
        return b->open(url, credentials, std::move(bounds));
    }
    return unavailable();
}

SyncBackend::Found SyncModule::findTaskCollections(const QUrl& server,
                                                   const ServerCredentials& credentials,
                                                   std::chrono::milliseconds timeout,
                                                   std::stop_token stop) {
    if (SyncBackend* b = backend()) {
        return b->findTaskCollections(server, credentials, timeout, std::move(stop));
    }
    return Failure{0, unavailable()};
}

SyncPassword::Lookup SyncModule::readPassword(const QString& entry) {
    if (SyncBackend* b = backend()) {
        return b->readPassword(entry);
    }
    return {std::nullopt, unavailable()};
}

QString SyncModule::storePassword(const QString& entry, const QString& password) {
    if (SyncBackend* b = backend()) {
        return b->storePassword(entry, password);
    }
    return unavailable();
}

void SyncModule::storePassword(const QString& entry, const QString& password,
                               const QObject* context, std::function<void(const QString&)> done) {
    if (SyncBackend* b = backend()) {
        b->storePassword(entry, password, context, std::move(done));
        return;
    }
    failLater(context, std::move(done));
}

void SyncModule::forgetPassword(const QString& entry, const QObject* context,
                                std::function<void(const QString&)> done) {
    if (SyncBackend* b = backend()) {
        b->forgetPassword(entry, context, std::move(done));
        return;
    }
    failLater(context, std::move(done));
}
