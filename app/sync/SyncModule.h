#pragma once

#include "sync/SyncBackend.h"

#include <memory>
#include <mutex>

// The sync backend in its module, loaded at the first call, from whichever thread makes
// it. A module that is missing or not this build's is named in one line; every call then
// fails, saying that sync is not available.
class SyncModule : public SyncBackend {
public:
    // Where the module of the binary at `executable` is: its place in the installed tree,
    // taken from the binary's folder (the build tree has the same layout).
    static QString besideBinary(const QString& executable);

    explicit SyncModule(QString path);

    std::variant<std::unique_ptr<RemoteCollection>, QString>
    open(const QUrl& url, const ServerCredentials& credentials, ServerBounds bounds) override;
    Found findTaskCollections(const QUrl& server, const ServerCredentials& credentials,
                              std::chrono::milliseconds timeout, std::stop_token stop) override;

    SyncPassword::Lookup readPassword(const QString& entry) override;
    QString storePassword(const QString& entry, const QString& password) override;
    void storePassword(const QString& entry, const QString& password, const QObject* context,
                       std::function<void(const QString&)> done) override;
    void forgetPassword(const QString& entry, const QObject* context,
                        std::function<void(const QString&)> done) override;

    // What every call answers when the module could not be loaded.
    static QString unavailable();

private:
    // The module's backend, or nullptr.
    SyncBackend* backend();

    const QString path_;
    std::once_flag loading_;
    std::unique_ptr<SyncBackend> backend_;
};
