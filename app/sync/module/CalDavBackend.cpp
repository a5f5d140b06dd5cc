#include "sync/module/CalDavBackend.h"

#include "sync/caldav/CalDavClient.h"
#include "sync/caldav/Discovery.h"
#include "sync/module/SecretStore.h"

std::variant<std::unique_ptr<RemoteCollection>, QString>
CalDavBackend::open(const QUrl& url, const ServerCredentials& credentials, ServerBounds bounds) {
    return std::make_unique<CalDavClient>(url, credentials, std::move(bounds));
}

SyncBackend::Found CalDavBackend::findTaskCollections(const QUrl& server,
                                                      const ServerCredentials& credentials,
                                                      std::chrono::milliseconds timeout,
                                                      std::stop_token stop) {
    return Discovery::findTaskCollections(server, credentials, timeout, std::move(stop));
}

SyncPassword::Lookup CalDavBackend::readPassword(const QString& entry) {
    return SecretStore::read(entry);
}

QString CalDavBackend::storePassword(const QString& entry, const QString& password) {
    return SecretStore::store(entry, password);
}

void CalDavBackend::storePassword(const QString& entry, const QString& password,
                                  const QObject* context,
                                  std::function<void(const QString&)> done) {
    SecretStore::store(entry, password, context, std::move(done));
}

void CalDavBackend::forgetPassword(const QString& entry, const QObject* context,
                                   std::function<void(const QString&)> done) {
    SecretStore::forget(entry, context, std::move(done));
}
