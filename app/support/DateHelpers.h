#pragma once

#include "support/Date.h"

#include <QString>
#include <QStringView>

#include <cstdint>

// -1, 0 or 1 as the first dotted version is lower than, equal to or higher than the
// second. Only the components both have are compared (1.2 equals 1.2.7).
std::int64_t compareVersions(QStringView first, QStringView second);

// "yyyy-MM-dd'T'hh:mm:ssZ" in the current time zone: 12-hour hour with no AM/PM
// marker, offset as a sign and four digits.
QString getDisplayDateISO8601(Date date);

// The current locale's short date and short time.
QString getLocalDateTime(Date date);
