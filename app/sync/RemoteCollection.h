#pragma once

#include "sync/DavSession.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <variant>
#include <vector>

// A task collection on a server as the sync engine sees it: what changed, and writes and
// deletions of single resources.
class RemoteCollection {
public:
    using Failure = DavSession::Failure;
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

    virtual ~RemoteCollection() = default;

    // What changed since `token` (RFC 6578); an empty token lists the whole collection.
    virtual std::variant<Changes, Failure> changesSince(const QString& token) = 0;
    // The same for servers without that report: the resources whose ETag differs from
    // `known` (href → ETag); what `known` holds and the server no longer lists counts as
    // removed. There is no token.
    virtual std::variant<Changes, Failure> changesFrom(const QHash<QString, QByteArray>& known) = 0;
    // Writes a resource: over the version `etag` names, or only where none exists when it is
    // empty. Answers the new ETag (empty when the server does not say).
    virtual std::variant<QByteArray, Failure> put(const QString& href, const QByteArray& ics,
                                                  const QByteArray& etag) = 0;
    // Deletes the version `etag` names; one already gone counts as deleted.
    virtual std::variant<std::monostate, Failure> remove(const QString& href,
                                                         const QByteArray& etag) = 0;
    // Where a new resource named `name` goes.
    virtual QString hrefFor(const QString& name) const = 0;
};
