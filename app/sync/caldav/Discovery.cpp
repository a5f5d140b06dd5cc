#include "sync/caldav/Discovery.h"

#include "sync/Origin.h"
#include "sync/caldav/DavSession.h"
#include "sync/caldav/Multistatus.h"

namespace {

using Failure = DavSession::Failure;

// The address a property of `url` holds, e.g. the user's principal.
std::variant<QUrl, Failure> hrefProperty(DavSession& session, const QUrl& url,
                                         const QByteArray& prop,
                                         QString Multistatus::Properties::*field,
                                         const QString& missing) {
    const DavSession::Answer answer = session.propfind(url, 0, prop, CalDavClient::listingCap);
    if (answer.status != 207) {
        return answer.failure();
    }
    const std::optional<Multistatus> parsed = Multistatus::parse(answer.body);
    if (!parsed) {
        return Failure{answer.status, QStringLiteral("unreadable answer from %1").arg(url.path())};
    }
    if (parsed->responses.empty() || (parsed->responses.front().*field).isEmpty()) {
        return Failure{answer.status, missing};
    }
    // Relative to where the answer came from, after any redirection.
    return answer.url.resolved(QUrl(parsed->responses.front().*field));
}

std::variant<QUrl, Failure> principal(DavSession& session, const QUrl& server) {
    const auto find = [&](const QUrl& url) {
        return hrefProperty(session, url, "<d:current-user-principal/>",
                            &Multistatus::Properties::principal,
                            QStringLiteral("the server names no user principal"));
    };
    auto found = find(server);
    if (const auto* f = std::get_if<Failure>(&found); f && f->status != 401) {
        auto known = find(server.resolved(QUrl(QStringLiteral("/.well-known/caldav"))));
        if (std::holds_alternative<QUrl>(known)) {
            return known;
        }
    }
    return found;
}

QString lastSegment(const QString& path) {
    const QStringList segments = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return segments.isEmpty() ? path : QUrl::fromPercentEncoding(segments.back().toUtf8());
}

std::variant<std::vector<Discovery::Collection>, Failure> taskCollections(DavSession& session,
                                                                          const QUrl& home) {
    const DavSession::Answer answer = session.propfind(
        home, 1, "<d:resourcetype/><d:displayname/><c:supported-calendar-component-set/>",
        CalDavClient::listingCap);
    if (answer.status != 207) {
        return answer.failure();
    }
    const std::optional<Multistatus> parsed = Multistatus::parse(answer.body);
    if (!parsed) {
        return Failure{answer.status, QStringLiteral("unreadable answer from %1").arg(home.path())};
    }
    std::vector<Discovery::Collection> found;
    for (const Multistatus::Response& r : parsed->responses) {
        const QUrl url = answer.url.resolved(QUrl(r.href));
        // A collection elsewhere would take the password there.
        if (r.isCalendar && Origin::same(url, answer.url) &&
            (!r.components ||
             r.components->contains(QStringLiteral("VTODO"), Qt::CaseInsensitive))) {
            found.push_back(
                {url, r.displayName.isEmpty() ? lastSegment(url.path()) : r.displayName});
        }
    }
    return found;
}

} // namespace

namespace Discovery {

std::variant<std::vector<Collection>, CalDavClient::Failure>
findTaskCollections(const QUrl& server, const CalDavClient::Credentials& credentials,
                    std::chrono::milliseconds timeout, std::stop_token stop) {
    DavSession session(server, credentials, {timeout, DavSession::Bounds().end, std::move(stop)});
    const auto user = principal(session, server);
    if (const auto* f = std::get_if<Failure>(&user)) {
        return *f;
    }
    const auto home = hrefProperty(session, std::get<QUrl>(user), "<c:calendar-home-set/>",
                                   &Multistatus::Properties::calendarHome,
                                   QStringLiteral("the server names no calendar home"));
    if (const auto* f = std::get_if<Failure>(&home)) {
        return *f;
    }
    return taskCollections(session, std::get<QUrl>(home));
}

} // namespace Discovery
