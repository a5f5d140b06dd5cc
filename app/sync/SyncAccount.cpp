#include "sync/SyncAccount.h"

#include "store/PreferenceStore.h"
#include "store/StoreKeys.h"
#include "support/Console.h"
#include "sync/Origin.h"

#include <QFile>
#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString serverKey = QStringLiteral("server");
const QString userKey = QStringLiteral("user");
const QString collectionKey = QStringLiteral("collection");
const QString passwordFileKey = QStringLiteral("passwordFile");

bool isLoopback(const QString& host) {
    const QHostAddress address(host);
    return address.isNull() ? host.compare(u"localhost", Qt::CaseInsensitive) == 0
                            : address.isLoopback();
}

// The stored form with the user and password taken out of both addresses.
QByteArray withoutUserInfo(const QByteArray& json) {
    QJsonObject o = QJsonDocument::fromJson(json).object();
    for (const QString& key : {serverKey, collectionKey}) {
        o.insert(key, QUrl(o.value(key).toString()).toString(QUrl::RemoveUserInfo));
    }
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

bool removeValue(const PreferenceStore& store, const QString& key) {
    QFile file(store.filePath(key, PreferenceStore::Kind::Data));
    return !file.exists() || file.remove();
}

} // namespace

QByteArray SyncAccount::encode() const {
    return QJsonDocument(QJsonObject{{serverKey, server.toString()},
                                     {userKey, user},
                                     {collectionKey, collection.toString()},
                                     {passwordFileKey, passwordFile}})
        .toJson(QJsonDocument::Compact);
}

std::optional<SyncAccount> SyncAccount::decode(const QByteArray& json) {
    const QJsonObject o = QJsonDocument::fromJson(json).object();
    SyncAccount account{QUrl(o.value(serverKey).toString(), QUrl::StrictMode),
                        o.value(userKey).toString(),
                        QUrl(o.value(collectionKey).toString(), QUrl::StrictMode),
                        o.value(passwordFileKey).toString()};
    if (!account.refusal().isEmpty()) {
        return std::nullopt;
    }
    return account;
}

std::optional<SyncAccount> SyncAccount::load(const PreferenceStore& store) {
    const std::optional<QByteArray> bytes = store.data(StoreKeys::syncAccount);
    if (!bytes) {
        return std::nullopt;
    }
    std::optional<SyncAccount> account = decode(*bytes);
    if (account) {
        return account;
    }
    // Older versions kept an address as given, password and all: that must not stay on disk.
    account = decode(withoutUserInfo(*bytes));
    if (account && account->save(store)) {
        Console::printLine(QStringLiteral("Sync account: the user and password written in its "
                                          "address were removed from the config folder"));
        return account;
    }
    Console::printLine(QStringLiteral("Sync account unreadable; set it up again to sync"));
    return std::nullopt;
}

bool SyncAccount::save(const PreferenceStore& store) const {
    return store.setData(StoreKeys::syncAccount, encode());
}

bool SyncAccount::forget(const PreferenceStore& store) {
    // The account first: a state without one is never used, and the next set-up starts afresh.
    return removeValue(store, StoreKeys::syncAccount) && removeValue(store, StoreKeys::syncState);
}

QString SyncAccount::refusal(const QUrl& address) {
    if (!address.isValid() || address.host().isEmpty()) {
        return QStringLiteral("not a valid address");
    }
    if (!address.userInfo().isEmpty()) {
        return QStringLiteral("an address with a user or password in it is never stored; give "
                              "the user apart, and the password when asked");
    }
    if (address.scheme() == u"https" ||
        (address.scheme() == u"http" && isLoopback(address.host()))) {
        return {};
    }
    return QStringLiteral("only https, or plain http to this machine, carries the password");
}

QString SyncAccount::refusal() const {
    if (user.isEmpty()) {
        return QStringLiteral("no user");
    }
    for (const QUrl& address : {server, collection}) {
        if (QString why = refusal(address); !why.isEmpty()) {
            return why;
        }
    }
    if (!Origin::same(server, collection)) {
        return QStringLiteral("the collection %1 is on another server than %2")
            .arg(collection.toDisplayString(), server.toDisplayString());
    }
    return {};
}
