#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QString>
#include <QUrl>

#include <chrono>
#include <utility>

// Requests to a WebDAV server as one user. Each call waits for its answer in a local event
// loop, so a session belongs on a thread of its own (or in a test); it never outlives a
// time-out.
class DavSession {
public:
    struct Credentials {
        QString user;
        QString password;
    };
    struct Failure {
        // The HTTP status, or 0 when no answer came.
        int status = 0;
        QString reason;
    };
    struct Answer {
        // Where the answer came from, after any redirection.
        QUrl url;
        int status = 0;
        QByteArray body;
        QByteArray etag;
        // Where a redirection points, as the server wrote it.
        QUrl location;
        QString error;

        bool succeeded() const { return status >= 200 && status < 300; }
        Failure failure() const;
    };
    using Headers = QList<std::pair<QByteArray, QByteArray>>;

    DavSession(const Credentials& credentials, std::chrono::milliseconds timeout);

    Answer send(const QByteArray& verb, const QUrl& url, const QByteArray& body,
                const Headers& headers);
    // A PROPFIND asking for the properties `props` (XML elements in the DAV: namespace "d"
    // and the CalDAV one "c") of `url`, and of its members when `depth` is 1. It follows a
    // few redirections (a well-known address usually is one).
    Answer propfind(const QUrl& url, int depth, const QByteArray& props);

private:
    QByteArray authorization_;
    std::chrono::milliseconds timeout_;
    QNetworkAccessManager network_;
};
