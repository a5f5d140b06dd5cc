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
// DavSession (so on a thread of its own, or in a test). Every href it hands out is the
// resolved path in one percent-encoding, however the server wrote it; one on another origin
// is dropped with a line and never requested. Each listing is capped (`listingCap`), and so
// is each resource in it (`resourceCap`): a larger resource is skipped, not removed.
class CalDavClient {
public:
    using Credentials = DavSession::Credentials;
    using Failure = DavSession::Failure;
    using Bounds = DavSession::Bounds;
    static constexpr qsizetype listingCap = qsizetype{32} << 20;
    static constexpr qsizetype resourceCap = qsizetype{1} << 20;

    struct Resource {
        QString href;
        QByteArray etag;
        QByteArray ics;
    };
    struct Changes {
        std::vector<Resource> changed;
        QStringList removed;
        // Listed, but left alone: too large, or with an ETag no request may carry.
        QStringList skipped;
        QString token;
    };

    CalDavClient(QUrl collection, const Credentials& credentials, Bounds bounds);
    CalDavClient(QUrl collection, const Credentials& credentials,
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

    // The message for an answer that is not a multistatus.
    static QString notAListing();

private:
    // The path `href` resolves to, in one encoding; nullopt (after a line) for another origin.
    std::optional<QString> normalised(const QString& href) const;
    // Sorts a listed resource that came with its data into `changes`.
    void take(Multistatus::Response& r, Changes& changes) const;
    std::variant<Multistatus, Failure> report(const QByteArray& body, int depth);
    // `changes` with the resources at `hrefs` added, fetched by a calendar-multiget.
    std::variant<Changes, Failure> fetchInto(Changes changes, const QStringList& hrefs);
    DavSession::Answer send(const QByteArray& verb, const QString& href, const QByteArray& body,
                            const DavSession::Headers& headers);

    QUrl collection_;
    DavSession session_;
};
