#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// A WebDAV multistatus answer, reduced to what discovery and a sync read from it.
struct Multistatus {
    // Properties the server reported as found; those it could not find stay empty.
    struct Properties {
        QByteArray etag;
        QByteArray calendarData;
        // The calendar data was longer than the parse allowed, so it is not here.
        bool dataTooLarge = false;
        QString displayName;
        QString principal;
        QString calendarHome;
        bool isCalendar = false;
        // The component kinds a calendar takes; none when it does not say (it takes all).
        std::optional<QStringList> components;
    };
    struct Response : Properties {
        QString href;
        // The response's own status, else that of its first property set.
        int status = 0;
    };
    std::vector<Response> responses;
    QString syncToken;

    // Nullopt for anything but a well-formed DAV:multistatus whose every response names its
    // resource and its status. Calendar data longer than `dataCap` is left out.
    static std::optional<Multistatus> parse(const QByteArray& xml,
                                            qsizetype dataCap = qsizetype{1} << 20);
};
