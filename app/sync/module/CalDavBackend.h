#pragma once

#include "sync/SyncBackend.h"

// Sync over CalDAV, with the password in the desktop's secret store: what the sync module
// holds. Tests link it directly.
class CalDavBackend : public SyncBackend {
public:
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
};
