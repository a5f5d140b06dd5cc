#include "support/DateHelpers.h"

#include <QDateTime>
#include <QLocale>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace {

// An optional single sign then ASCII digits, nothing else; nullopt on overflow.
std::optional<std::int64_t> parseComponent(QStringView piece) {
    std::string ascii;
    ascii.reserve(static_cast<size_t>(piece.size()));
    for (const QChar c : piece) {
        if (c.unicode() > 0x7F) {
            return std::nullopt;
        }
        ascii.push_back(static_cast<char>(c.unicode()));
    }
    std::string_view digits = ascii;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty() || digits.front() == '+' || digits.front() == '-') {
        return std::nullopt;
    }
    // Parse the magnitude unsigned so that the most negative value still fits.
    std::uint64_t magnitude = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    if (ec != std::errc() || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    constexpr auto maxPositive = static_cast<std::uint64_t>(INT64_MAX);
    if (negative) {
        if (magnitude > maxPositive + 1) {
            return std::nullopt;
        }
        return magnitude == maxPositive + 1 ? INT64_MIN : -static_cast<std::int64_t>(magnitude);
    }
    if (magnitude > maxPositive) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(magnitude);
}

std::vector<std::int64_t> components(QStringView version) {
    std::vector<std::int64_t> out;
    for (const QStringView piece : version.tokenize(u'.', Qt::SkipEmptyParts)) {
        if (const auto value = parseComponent(piece)) {
            out.push_back(*value);
        }
    }
    return out;
}

constexpr qint64 msecsPerDay = 86'400'000;
// Far beyond any calendar Qt draws, yet safe to convert and to add an offset to.
constexpr double msecsLimit = 1e17;

qint64 unixMsecs(Date date) {
    const double msecs = std::floor(date.unixSeconds() * 1000.0);
    return static_cast<qint64>(std::isnan(msecs) ? 0 : std::clamp(msecs, -msecsLimit, msecsLimit));
}

QDateTime systemLocalTime(qint64 msecs) {
    return QDateTime::fromMSecsSinceEpoch(msecs, Qt::LocalTime);
}

void appendDigits(QString& text, int value, int width) {
    for (int divisor = width == 4 ? 1000 : 10; divisor > 0; divisor /= 10) {
        text.append(QChar(u'0' + value / divisor % 10));
    }
}

QString isoText(QDate date, QTime time, int offsetSeconds) {
    const int offsetMinutes = std::abs(offsetSeconds) / 60;
    QString text;
    text.reserve(24);
    if (date.year() >= 0 && date.year() <= 9999) {
        appendDigits(text, date.year(), 4);
        text.append(u'-');
        appendDigits(text, date.month(), 2);
        text.append(u'-');
        appendDigits(text, date.day(), 2);
    } else {
        text.append(date.toString(QStringLiteral("yyyy-MM-dd")));
    }
    text.append(u'T');
    appendDigits(text, time.hour(), 2);
    text.append(u':');
    appendDigits(text, time.minute(), 2);
    text.append(u':');
    appendDigits(text, time.second(), 2);
    text.append(offsetSeconds < 0 ? u'-' : u'+');
    appendDigits(text, offsetMinutes / 60, 2);
    appendDigits(text, offsetMinutes % 60, 2);
    return text;
}

QString joined(const QString& date, const QString& time) {
    return date + QStringLiteral(", ") + time;
}

} // namespace

std::int64_t compareVersions(QStringView first, QStringView second) {
    const auto a = components(first);
    const auto b = components(second);
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        if (a[i] != b[i]) {
            return a[i] < b[i] ? -1 : 1;
        }
    }
    return 0;
}

QString getDisplayDateISO8601(Date date) {
    const QDateTime dt = systemLocalTime(unixMsecs(date));
    return isoText(dt.date(), dt.time(), dt.offsetFromUtc());
}

QString getLocalDateTime(Date date) {
    const QDateTime dt = systemLocalTime(unixMsecs(date));
    const QLocale locale;
    return joined(locale.toString(dt.date(), QLocale::ShortFormat),
                  locale.toString(dt.time(), QLocale::ShortFormat));
}

DateTexts::DateTexts()
    : dateFormat_(locale_.dateFormat(QLocale::ShortFormat))
    , timeFormat_(locale_.timeFormat(QLocale::ShortFormat)) {}

DateTexts::LocalTime DateTexts::local(Date date) {
    const qint64 msecs = unixMsecs(date);
    const qint64 day = msecs >= 0 ? msecs / msecsPerDay : (msecs + 1) / msecsPerDay - 1;
    auto offset = dayOffsets_.constFind(day);
    if (offset == dayOffsets_.constEnd()) {
        const int first = systemLocalTime(day * msecsPerDay).offsetFromUtc();
        const int last = systemLocalTime((day + 1) * msecsPerDay - 1).offsetFromUtc();
        offset = dayOffsets_.insert(day, first == last ? std::optional(first) : std::nullopt);
    }
    if (!*offset) {
        // The clocks change that day: ask for every time.
        const QDateTime dt = systemLocalTime(msecs);
        return {dt.date(), dt.time(), dt.offsetFromUtc()};
    }
    const int offsetSeconds = **offset;
    const QDateTime shifted =
        QDateTime::fromMSecsSinceEpoch(msecs + qint64{offsetSeconds} * 1000, Qt::UTC);
    return {shifted.date(), shifted.time(), offsetSeconds};
}

QString DateTexts::displayDateISO8601(Date date) {
    const LocalTime t = local(date);
    return isoText(t.date, t.time, t.offsetSeconds);
}

QString DateTexts::localDateTime(Date date) {
    const LocalTime t = local(date);
    return joined(locale_.toString(t.date, dateFormat_), locale_.toString(t.time, timeFormat_));
}
