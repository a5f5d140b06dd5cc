#pragma once

#include "support/Date.h"

#include <QDate>
#include <QHash>
#include <QLocale>
#include <QString>
#include <QStringView>
#include <QTime>

#include <cstdint>
#include <optional>

// -1, 0 or 1 as the first dotted version is lower than, equal to or higher than the
// second. Only the components both have are compared (1.2 equals 1.2.7).
std::int64_t compareVersions(QStringView first, QStringView second);

// "yyyy-MM-dd'T'HH:mm:ssZ" in the current time zone: ISO 8601 with the 24-hour hour, the
// offset as a sign and four digits.
QString getDisplayDateISO8601(Date date);

// The current locale's short date and short time.
QString getLocalDateTime(Date date);

// The same two texts for many dates in a row, as a table needs them: the time zone's offset is
// looked up once per day and the locale's formats once, which makes a text several times
// cheaper. The offsets and formats are those in force when the formatter was made.
class DateTexts {
public:
    DateTexts();

    QString displayDateISO8601(Date date);
    QString localDateTime(Date date);

private:
    struct LocalTime {
        QDate date;
        QTime time;
        int offsetSeconds = 0;
    };
    LocalTime local(Date date);

    QLocale locale_;
    QString dateFormat_;
    QString timeFormat_;
    // UTC day -> the offset that holds all day, or nothing when the clocks change that day.
    QHash<std::int64_t, std::optional<int>> dayOffsets_;
};
