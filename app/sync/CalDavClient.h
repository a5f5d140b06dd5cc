#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <chrono>
#include <variant>
#include <vector>

// One task collection on a CalDAV server, spoken to one request at a time. Each call waits
// for its answer in a local event loop, so the client belongs on a thread of its own (or
// in a test); it never outlives a time-out.
class CalDavClient {
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
    struct Resource {
        QString href;
        QByteArray etag;
        QByteArray ics;
    };
    struct Changes {
        std::vector<Resource> changed;
        QStringList removed;
        QString token;
    };

    CalDavClient(QUrl collection, Credentials credentials,
                 std::chrono::milliseconds timeout = std::chrono::seconds(30));

    // What changed since `token` (RFC 6578); an empty token lists the whole collection.
    std::variant<Changes, Failure> changesSince(const QString& token);
    // Writes a resource: over the version `etag` names, or only where none exists when it is
    // empty. Answers the new ETag (empty when the server does not say).
    std::variant<QByteArray, Failure> put(const QString& href, const QByteArray& ics,
                                          const QByteArray& etag);
    // Deletes the version `etag` names; one already gone counts as deleted.
    std::variant<std::monostate, Failure> remove(const QString& href, const QByteArray& etag);

    // Where a new resource named `name` goes.
    QString hrefFor(const QString& name) const;

private:
    struct Answer {
        int status = 0;
        QByteArray body;
        QByteArray etag;
        QString error;
    };
    Answer send(const QByteArray& verb, const QString& href, const QByteArray& body,
                const QList<std::pair<QByteArray, QByteArray>>& headers);
    static Failure failure(const Answer& answer);

    QUrl collection_;
    QByteArray authorization_;
    std::chrono::milliseconds timeout_;
    QNetworkAccessManager network_;
};
