#pragma once

#include "store/Models.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>
#include <vector>

// A task collection on a server as the sync engine sees it: what changed, writes and
// deletions of single resources, and the form a task takes there. A sync protocol is one
// implementation of it.
class RemoteCollection {
public:
    struct Failure {
        // The protocol's status (HTTP's for CalDAV), or 0 when no complete answer came.
        int status = 0;
        QString reason;
    };
    struct Resource {
        QString href;
        QByteArray etag;
        QByteArray ics;
    };
    // A task as a resource holds it.
    struct Entry {
        Task task;
        // When the resource was last changed, by whichever client; absent when unstated.
        std::optional<Date> lastModified;
    };
    // When the task last changed (LAST-MODIFIED) and when this copy is written (DTSTAMP).
    struct Stamps {
        // Both at once, as for a task written when it changes.
        Stamps(Date at) // NOLINT(google-explicit-constructor)
            : modified(at)
            , written(at) {}
        Stamps(Date changed, Date now)
            : modified(changed)
            , written(now) {}
        Date modified;
        Date written;
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

    // The task a resource holds, or why it holds none.
    virtual std::variant<Entry, QString> read(const QByteArray& body) const = 0;
    // The resource for `task`, stamped with `at`; what `previous` holds that a task does not is
    // kept.
    virtual QByteArray write(const Task& task, Stamps at, const QByteArray& previous) const = 0;
};
