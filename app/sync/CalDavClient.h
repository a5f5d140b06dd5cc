#pragma once

#include "sync/DavSession.h"
#include "sync/Multistatus.h"
#include "sync/RemoteCollection.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <chrono>
#include <variant>
#include <vector>

// One task collection on a CalDAV server, spoken to one request at a time through a
// DavSession (so on a thread of its own, or in a test).
class CalDavClient : public RemoteCollection {
public:
    using Credentials = DavSession::Credentials;

    CalDavClient(QUrl collection, Credentials credentials,
                 std::chrono::milliseconds timeout = std::chrono::seconds(30));

    std::variant<Changes, Failure> changesSince(const QString& token) override;
    // Lists the ETags of every task resource, then fetches those that differ.
    std::variant<Changes, Failure> changesFrom(const QHash<QString, QByteArray>& known) override;
    std::variant<QByteArray, Failure> put(const QString& href, const QByteArray& ics,
                                          const QByteArray& etag) override;
    std::variant<std::monostate, Failure> remove(const QString& href,
                                                 const QByteArray& etag) override;
    QString hrefFor(const QString& name) const override;

private:
    std::variant<Multistatus, Failure> report(const QByteArray& body, int depth);
    // `changes` with the resources at `hrefs` added, fetched by a calendar-multiget.
    std::variant<Changes, Failure> fetchInto(Changes changes, const QStringList& hrefs);
    DavSession::Answer send(const QByteArray& verb, const QString& href, const QByteArray& body,
                            const DavSession::Headers& headers);

    QUrl collection_;
    DavSession session_;
};
