#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// A WebDAV multistatus answer, reduced to what a sync reads from it.
struct Multistatus {
    struct Response {
        QString href;
        // The response's own status, else that of its first property set.
        int status = 0;
        QByteArray etag;
        QByteArray calendarData;
    };
    std::vector<Response> responses;
    QString syncToken;

    // Nullopt for text that is not well-formed XML.
    static std::optional<Multistatus> parse(const QByteArray& xml);
};
