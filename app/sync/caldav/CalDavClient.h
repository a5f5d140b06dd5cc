#pragma once

#include "sync/RemoteCollection.h"
#include "sync/caldav/DavSession.h"
#include "sync/caldav/Multistatus.h"

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
class CalDavClient : public RemoteCollection {
public:
    using Credentials = DavSession::Credentials;
    using Bounds = DavSession::Bounds;
    static constexpr qsizetype listingCap = qsizetype{32} << 20;
    static constexpr qsizetype resourceCap = qsizetype{1} << 20;

    CalDavClient(QUrl collection, const Credentials& credentials, Bounds bounds);
    CalDavClient(QUrl collection, const Credentials& credentials,
                 std::chrono::milliseconds timeout = std::chrono::seconds(30));

    std::variant<Changes, Failure> changesSince(const QString& token) override;
    // Lists the ETags of every task resource, then fetches those that differ.
    std::variant<Changes, Failure> changesFrom(const QHash<QString, QByteArray>& known) override;
    std::variant<QByteArray, Failure> put(const QString& href, const QByteArray& ics,
                                          const QByteArray& etag) override;
    std::variant<std::monostate, Failure> remove(const QString& href,
                                                 const QByteArray& etag) override;
    QString hrefFor(const QString& name) const override;
    // Tasks as iCalendar VTODOs.
    std::variant<Entry, QString> read(const QByteArray& body) const override;
    QByteArray write(const Task& task, Stamps at, const QByteArray& previous) const override;

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
