#pragma once

#include "sync/RemoteCollection.h"
#include "sync/ServerAccess.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <chrono>
#include <stop_token>
#include <utility>

// Requests to a WebDAV server as one user, each on a connection of its own (TLS for https,
// with Qt's certificate checks). Each call waits for its answer in a local event loop, so a
// session belongs on a thread of its own (or in a test). The password goes to one
// origin (scheme, host, port) only: a request anywhere else is refused unsent. Every request
// ends by its deadline, by the session's end, or when a stop is requested, and an answer
// larger than its cap is cut off while it arrives.
class DavSession {
public:
    using Credentials = ServerCredentials;
    using Failure = RemoteCollection::Failure;
    using Clock = ServerBounds::Clock;
    using Bounds = ServerBounds;
    struct Answer {
        // Where the answer came from.
        QUrl url;
        int status = 0;
        QByteArray body;
        // Empty when the server sends none, or one that could not go into a request header.
        QByteArray etag;
        // Where a redirection points, as the server wrote it.
        QUrl location;
        // Why no complete answer came.
        QString error;

        bool succeeded() const { return status >= 200 && status < 300; }
        Failure failure() const;
    };
    using Headers = QList<std::pair<QByteArray, QByteArray>>;

    // Answers longer than this are cut off, unless a request says otherwise.
    static constexpr qsizetype defaultCap = qsizetype{1} << 20;

    // Requests go to `origin`'s scheme, host and port only.
    DavSession(const QUrl& origin, const Credentials& credentials, Bounds bounds);

    Answer send(const QByteArray& verb, const QUrl& url, const QByteArray& body,
                const Headers& headers, qsizetype cap = defaultCap);
    // A PROPFIND asking for the properties `props` (XML elements in the DAV: namespace "d"
    // and the CalDAV one "c") of `url`, and of its members when `depth` is 1. It follows a
    // few redirections within the origin (a well-known address usually is one), none
    // elsewhere.
    Answer propfind(const QUrl& url, int depth, const QByteArray& props, qsizetype cap);

    // Whether a value a server sent may go into a request header: no control characters.
    static bool isHeaderSafe(const QByteArray& value);
    // Why nothing goes to `url`: it is not where the account lives.
    static QString elsewhere(const QUrl& url);

private:
    QUrl origin_;
    QByteArray authorization_;
    Bounds bounds_;
};
