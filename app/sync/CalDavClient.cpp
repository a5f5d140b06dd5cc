#include "sync/CalDavClient.h"

#include "sync/Multistatus.h"

namespace {

const QByteArray syncReport = R"(<?xml version="1.0" encoding="utf-8"?>
<d:sync-collection xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav">
<d:sync-token>%1</d:sync-token><d:sync-level>1</d:sync-level>
<d:prop><d:getetag/><c:calendar-data/></d:prop>
</d:sync-collection>)";

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

std::variant<CalDavClient::Changes, CalDavClient::Failure>
CalDavClient::changesSince(const QString& token) {
    const QByteArray body = QString::fromUtf8(syncReport).arg(token.toHtmlEscaped()).toUtf8();
    const DavSession::Answer answer =
        send("REPORT", collection_.path(), body,
             {{"Content-Type", "application/xml; charset=utf-8"}, {"Depth", "0"}});
    if (answer.status != 207) {
        return answer.failure();
    }
    std::optional<Multistatus> parsed = Multistatus::parse(answer.body);
    if (!parsed) {
        return Failure{answer.status, QStringLiteral("unreadable answer to a sync report")};
    }
    Changes changes;
    changes.token = parsed->syncToken;
    for (Multistatus::Response& r : parsed->responses) {
        if (r.status == 404) {
            changes.removed.append(r.href);
        } else if (r.status / 100 == 2 && !r.calendarData.isEmpty()) {
            // XML reads line ends as LF; iCalendar's are CRLF.
            r.calendarData.replace("\r\n", "\n").replace("\n", "\r\n");
            changes.changed.push_back({r.href, r.etag, std::move(r.calendarData)});
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
