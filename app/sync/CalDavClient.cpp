#include "sync/CalDavClient.h"

#include "sync/Multistatus.h"

#include <QEventLoop>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

const QByteArray syncReport = R"(<?xml version="1.0" encoding="utf-8"?>
<d:sync-collection xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav">
<d:sync-token>%1</d:sync-token><d:sync-level>1</d:sync-level>
<d:prop><d:getetag/><c:calendar-data/></d:prop>
</d:sync-collection>)";

bool succeeded(int status) {
    return status >= 200 && status < 300;
}

} // namespace

CalDavClient::CalDavClient(QUrl collection, Credentials credentials,
                           std::chrono::milliseconds timeout)
    : collection_(std::move(collection))
    , authorization_(
          "Basic " +
          (credentials.user + QLatin1Char(':') + credentials.password).toUtf8().toBase64())
    , timeout_(timeout) {
    if (!collection_.path().endsWith(QLatin1Char('/'))) {
        collection_.setPath(collection_.path() + QLatin1Char('/'));
    }
}

QString CalDavClient::hrefFor(const QString& name) const {
    return collection_.path() + name + QStringLiteral(".ics");
}

CalDavClient::Answer CalDavClient::send(const QByteArray& verb, const QString& href,
                                        const QByteArray& body,
                                        const QList<std::pair<QByteArray, QByteArray>>& headers) {
    QNetworkRequest request(collection_.resolved(QUrl(href)));
    request.setTransferTimeout(static_cast<int>(timeout_.count()));
    request.setRawHeader("Authorization", authorization_);
    for (const auto& [name, value] : headers) {
        request.setRawHeader(name, value);
    }
    QNetworkReply* reply = network_.sendCustomRequest(request, verb, body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    Answer answer;
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.body = reply->readAll();
    answer.etag = reply->rawHeader("ETag");
    if (answer.status == 0) {
        answer.error = reply->errorString();
    }
    reply->deleteLater();
    return answer;
}

CalDavClient::Failure CalDavClient::failure(const Answer& answer) {
    if (answer.status == 0) {
        return {0, answer.error};
    }
    return {answer.status, QStringLiteral("HTTP %1").arg(answer.status)};
}

std::variant<CalDavClient::Changes, CalDavClient::Failure>
CalDavClient::changesSince(const QString& token) {
    const QByteArray body = QString::fromUtf8(syncReport).arg(token.toHtmlEscaped()).toUtf8();
    const Answer answer =
        send("REPORT", collection_.path(), body,
             {{"Content-Type", "application/xml; charset=utf-8"}, {"Depth", "0"}});
    if (answer.status != 207) {
        return failure(answer);
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
        } else if (succeeded(r.status) && !r.calendarData.isEmpty()) {
            // XML reads line ends as LF; iCalendar's are CRLF.
            r.calendarData.replace("\r\n", "\n").replace("\n", "\r\n");
            changes.changed.push_back({r.href, r.etag, std::move(r.calendarData)});
        }
    }
    return changes;
}

std::variant<QByteArray, CalDavClient::Failure>
CalDavClient::put(const QString& href, const QByteArray& ics, const QByteArray& etag) {
    const Answer answer =
        send("PUT", href, ics,
             {{"Content-Type", "text/calendar; charset=utf-8"},
              etag.isEmpty() ? std::pair<QByteArray, QByteArray>{"If-None-Match", "*"}
                             : std::pair<QByteArray, QByteArray>{"If-Match", etag}});
    if (!succeeded(answer.status)) {
        return failure(answer);
    }
    return answer.etag;
}

std::variant<std::monostate, CalDavClient::Failure> CalDavClient::remove(const QString& href,
                                                                         const QByteArray& etag) {
    const Answer answer =
        send("DELETE", href, {},
             etag.isEmpty() ? QList<std::pair<QByteArray, QByteArray>>{}
                            : QList<std::pair<QByteArray, QByteArray>>{{"If-Match", etag}});
    if (!succeeded(answer.status) && answer.status != 404) {
        return failure(answer);
    }
    return std::monostate{};
}
