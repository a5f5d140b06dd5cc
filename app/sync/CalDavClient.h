#pragma once

#include "sync/DavSession.h"
#include "sync/Multistatus.h"

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
class CalDavClient {
public:
    using Credentials = DavSession::Credentials;
    using Failure = DavSession::Failure;
    struct Resource {
        QString href;
        QByteArray etag;
        QByteArray ics;
    };
    struct Changes {
        std::vector<Resource> changed;
        QStringList removed;
        QString token;
    };

    CalDavClient(QUrl collection, Credentials credentials,
                 std::chrono::milliseconds timeout = std::chrono::seconds(30));

    // What changed since `token` (RFC 6578); an empty token lists the whole collection.
    std::variant<Changes, Failure> changesSince(const QString& token);
    // The same for servers without that report: the ETags of every task resource, then those
    // that differ from `known` (href → ETag) fetched; what `known` holds and the server no
    // longer lists counts as removed. There is no token.
    std::variant<Changes, Failure> changesFrom(const QHash<QString, QByteArray>& known);
    // Writes a resource: over the version `etag` names, or only where none exists when it is
    // empty. Answers the new ETag (empty when the server does not say).
    std::variant<QByteArray, Failure> put(const QString& href, const QByteArray& ics,
                                          const QByteArray& etag);
    // Deletes the version `etag` names; one already gone counts as deleted.
    std::variant<std::monostate, Failure> remove(const QString& href, const QByteArray& etag);

    // Where a new resource named `name` goes.
    QString hrefFor(const QString& name) const;

private:
    std::variant<Multistatus, Failure> report(const QByteArray& body, int depth);
    // `changes` with the resources at `hrefs` added, fetched by a calendar-multiget.
    std::variant<Changes, Failure> fetchInto(Changes changes, const QStringList& hrefs);
    DavSession::Answer send(const QByteArray& verb, const QString& href, const QByteArray& body,
                            const DavSession::Headers& headers);

    QUrl collection_;
    DavSession session_;
};
