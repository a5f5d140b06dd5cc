#include "sync/caldav/CalDavClient.h"

#include "support/Console.h"
#include "sync/Origin.h"
#include "sync/caldav/Multistatus.h"
#include "sync/caldav/VTodo.h"

#include <QSet>

namespace {

const QByteArray syncReport =
    R"(<d:sync-collection xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav">
<d:sync-token>%1</d:sync-token><d:sync-level>1</d:sync-level>
<d:prop><d:getetag/><c:calendar-data/></d:prop>
</d:sync-collection>)";

const QByteArray etagQuery =
    R"(<c:calendar-query xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav">
<d:prop><d:getetag/></d:prop>
<c:filter><c:comp-filter name="VCALENDAR"><c:comp-filter name="VTODO"/></c:comp-filter></c:filter>
</c:calendar-query>)";

const QByteArray multigetHead =
    R"(<c:calendar-multiget xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav">
<d:prop><d:getetag/><c:calendar-data/></d:prop>)";

bool found(const Multistatus::Response& r) {
    return r.status / 100 == 2 && (!r.calendarData.isEmpty() || r.dataTooLarge);
}

// Each segment decoded, then encoded again the one way: "%7e", "~", "%40" and "@" all meet.
QString canonicalPath(const QUrl& url) {
    QStringList segments = url.path(QUrl::FullyEncoded).split(QLatin1Char('/'));
    for (QString& segment : segments) {
        segment = QString::fromLatin1(QUrl::toPercentEncoding(
            QUrl::fromPercentEncoding(segment.toLatin1()), "!$&'()*+,;=:@"));
    }
    return segments.join(QLatin1Char('/'));
}

QUrl withSlash(QUrl url) {
    if (!url.path().endsWith(QLatin1Char('/'))) {
        url.setPath(url.path() + QLatin1Char('/'));
    }
    return url;
}

} // namespace

CalDavClient::CalDavClient(QUrl collection, const Credentials& credentials, Bounds bounds)
    : collection_(withSlash(std::move(collection)))
    , session_(collection_, credentials, std::move(bounds)) {}

CalDavClient::CalDavClient(QUrl collection, const Credentials& credentials,
                           std::chrono::milliseconds timeout)
    : CalDavClient(std::move(collection), credentials, Bounds{timeout, Bounds().end, {}}) {}

QString CalDavClient::hrefFor(const QString& name) const {
    return canonicalPath(collection_.resolved(QUrl(name + QStringLiteral(".ics"))));
}

QString CalDavClient::notAListing() {
    return QStringLiteral("the server's answer is not a CalDAV listing");
}

std::optional<QString> CalDavClient::normalised(const QString& href) const {
    const QUrl url = collection_.resolved(QUrl(href));
    if (!Origin::same(url, collection_)) {
        Console::printLine("Sync: skipped", href, "on another server");
        return std::nullopt;
    }
    return canonicalPath(url);
}

void CalDavClient::take(Multistatus::Response& r, Changes& changes) const {
    if (r.dataTooLarge) {
        Console::printLine("Sync: skipped", r.href, "larger than", resourceCap, "bytes");
        changes.skipped.append(r.href);
    } else if (!DavSession::isHeaderSafe(r.etag)) {
        Console::printLine("Sync: skipped", r.href, "its ETag holds control characters");
        changes.skipped.append(r.href);
    } else {
        // XML reads line ends as LF; iCalendar's are CRLF.
        r.calendarData.replace("\r\n", "\n").replace("\n", "\r\n");
        changes.changed.push_back({r.href, r.etag, std::move(r.calendarData)});
    }
}

DavSession::Answer CalDavClient::send(const QByteArray& verb, const QString& href,
                                      const QByteArray& body, const DavSession::Headers& headers) {
    return session_.send(verb, collection_.resolved(QUrl(href)), body, headers);
}

std::variant<Multistatus, CalDavClient::Failure> CalDavClient::report(const QByteArray& body,
                                                                      int depth) {
    const DavSession::Answer answer = session_.send(
        "REPORT", collection_, R"(<?xml version="1.0" encoding="utf-8"?>)" + body,
        {{"Content-Type", "application/xml; charset=utf-8"}, {"Depth", QByteArray::number(depth)}},
        listingCap);
    if (answer.status != 207) {
        return answer.failure();
    }
    std::optional<Multistatus> parsed = Multistatus::parse(answer.body, resourceCap);
    if (!parsed) {
        return Failure{answer.status, notAListing()};
    }
    // The engine compares hrefs: hand it one form, and nothing from elsewhere.
    Multistatus kept{{}, parsed->syncToken};
    for (Multistatus::Response& r : parsed->responses) {
        if (const std::optional<QString> path = normalised(r.href)) {
            r.href = *path;
            kept.responses.push_back(std::move(r));
        }
    }
    return kept;
}

std::variant<CalDavClient::Changes, CalDavClient::Failure>
CalDavClient::changesSince(const QString& token) {
    auto answered = report(QString::fromUtf8(syncReport).arg(token.toHtmlEscaped()).toUtf8(), 0);
    if (auto* f = std::get_if<Failure>(&answered)) {
        return *f;
    }
    Multistatus& parsed = std::get<Multistatus>(answered);
    // Every answer to a sync report carries the token to ask from next time.
    if (parsed.syncToken.isEmpty()) {
        return Failure{207, notAListing()};
    }
    Changes changes;
    changes.token = parsed.syncToken;
    QStringList withoutData;
    for (Multistatus::Response& r : parsed.responses) {
        if (r.status == 404) {
            changes.removed.append(r.href);
        } else if (found(r)) {
            take(r, changes);
        } else if (r.status / 100 == 2) {
            withoutData.append(r.href);
        }
    }
    // Some servers list only ETags in a sync report.
    return fetchInto(std::move(changes), withoutData);
}

std::variant<CalDavClient::Changes, CalDavClient::Failure>
CalDavClient::changesFrom(const QHash<QString, QByteArray>& known) {
    auto listed = report(etagQuery, 1);
    if (auto* f = std::get_if<Failure>(&listed)) {
        return *f;
    }
    Changes changes;
    QSet<QString> present;
    QStringList differing;
    for (const Multistatus::Response& r : std::get<Multistatus>(listed).responses) {
        present.insert(r.href);
        if (!DavSession::isHeaderSafe(r.etag)) {
            Console::printLine("Sync: skipped", r.href, "its ETag holds control characters");
            changes.skipped.append(r.href);
        } else if (r.status / 100 == 2 && known.value(r.href) != r.etag) {
            differing.append(r.href);
        }
    }
    for (auto it = known.cbegin(); it != known.cend(); ++it) {
        if (!present.contains(it.key())) {
            changes.removed.append(it.key());
        }
    }
    return fetchInto(std::move(changes), differing);
}

std::variant<CalDavClient::Changes, CalDavClient::Failure>
CalDavClient::fetchInto(Changes changes, const QStringList& hrefs) {
    if (hrefs.isEmpty()) {
        return changes;
    }
    QByteArray multiget = multigetHead;
    for (const QString& href : hrefs) {
        multiget += "<d:href>" + href.toHtmlEscaped().toUtf8() + "</d:href>";
    }
    auto fetched = report(multiget + "</c:calendar-multiget>", 1);
    if (auto* f = std::get_if<Failure>(&fetched)) {
        return *f;
    }
    for (Multistatus::Response& r : std::get<Multistatus>(fetched).responses) {
        if (found(r)) {
            take(r, changes);
        }
    }
    return changes;
}

std::variant<QByteArray, CalDavClient::Failure>
CalDavClient::put(const QString& href, const QByteArray& ics, const QByteArray& etag) {
    const DavSession::Answer answer =
        send("PUT", href, ics,
             {{"Content-Type", "text/calendar; charset=utf-8"},
              etag.isEmpty() ? std::pair<QByteArray, QByteArray>{"If-None-Match", "*"}
                             : std::pair<QByteArray, QByteArray>{"If-Match", etag}});
    if (!answer.succeeded()) {
        return answer.failure();
    }
    return answer.etag;
}

std::variant<std::monostate, CalDavClient::Failure> CalDavClient::remove(const QString& href,
                                                                         const QByteArray& etag) {
    const DavSession::Answer answer =
        send("DELETE", href, {},
             etag.isEmpty() ? DavSession::Headers{} : DavSession::Headers{{"If-Match", etag}});
    if (!answer.succeeded() && answer.status != 404) {
        return answer.failure();
    }
    return std::monostate{};
}

std::variant<RemoteCollection::Entry, QString> CalDavClient::read(const QByteArray& body) const {
    return VTodo::read(body);
}

QByteArray CalDavClient::write(const Task& task, Stamps at, const QByteArray& previous) const {
    return VTodo::write(task, at, previous);
}
