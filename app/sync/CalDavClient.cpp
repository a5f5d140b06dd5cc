#include "sync/CalDavClient.h"

#include "sync/Multistatus.h"

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
    return r.status / 100 == 2 && !r.calendarData.isEmpty();
}

CalDavClient::Resource resource(Multistatus::Response& r) {
    // XML reads line ends as LF; iCalendar's are CRLF.
    r.calendarData.replace("\r\n", "\n").replace("\n", "\r\n");
    return {r.href, r.etag, std::move(r.calendarData)};
}

} // namespace

CalDavClient::CalDavClient(QUrl collection, Credentials credentials,
                           std::chrono::milliseconds timeout)
    : collection_(std::move(collection))
    , session_(credentials, timeout) {
    if (!collection_.path().endsWith(QLatin1Char('/'))) {
        collection_.setPath(collection_.path() + QLatin1Char('/'));
    }
}

QString CalDavClient::hrefFor(const QString& name) const {
    return collection_.path() + name + QStringLiteral(".ics");
}

DavSession::Answer CalDavClient::send(const QByteArray& verb, const QString& href,
                                      const QByteArray& body, const DavSession::Headers& headers) {
    return session_.send(verb, collection_.resolved(QUrl(href)), body, headers);
}

std::variant<Multistatus, CalDavClient::Failure> CalDavClient::report(const QByteArray& body,
                                                                      int depth) {
    const DavSession::Answer answer = send(
        "REPORT", collection_.path(), R"(<?xml version="1.0" encoding="utf-8"?>)" + body,
        {{"Content-Type", "application/xml; charset=utf-8"}, {"Depth", QByteArray::number(depth)}});
    if (answer.status != 207) {
        return answer.failure();
    }
    std::optional<Multistatus> parsed = Multistatus::parse(answer.body);
    if (!parsed) {
        return Failure{answer.status, QStringLiteral("unreadable answer to a report")};
    }
    return std::move(*parsed);
}

std::variant<CalDavClient::Changes, CalDavClient::Failure>
CalDavClient::changesSince(const QString& token) {
    auto answered = report(QString::fromUtf8(syncReport).arg(token.toHtmlEscaped()).toUtf8(), 0);
    if (auto* f = std::get_if<Failure>(&answered)) {
        return *f;
    }
    Multistatus& parsed = std::get<Multistatus>(answered);
    Changes changes;
    changes.token = parsed.syncToken;
    QStringList withoutData;
    for (Multistatus::Response& r : parsed.responses) {
        if (r.status == 404) {
            changes.removed.append(r.href);
        } else if (found(r)) {
            changes.changed.push_back(resource(r));
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
        if (r.status / 100 == 2 && known.value(r.href) != r.etag) {
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
            changes.changed.push_back(resource(r));
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
