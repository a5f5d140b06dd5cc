#include "support/DateHelpers.h"

#include <QDateTime>
#include <QLocale>

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

QDateTime localDateTime(Date date) {
    const double msecs = std::floor(date.unixSeconds() * 1000.0);
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(msecs), Qt::LocalTime);
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
    const QDateTime dt = localDateTime(date);
    const QTime time = dt.time();
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    const int offsetMinutes = dt.offsetFromUtc() / 60;
    const int absOffset = std::abs(offsetMinutes);
    return dt.date().toString(QStringLiteral("yyyy-MM-dd")) +
           QStringLiteral("T%1:%2:%3%4%5%6")
               .arg(hour12, 2, 10, QChar(u'0'))
               .arg(time.minute(), 2, 10, QChar(u'0'))
               .arg(time.second(), 2, 10, QChar(u'0'))
               .arg(QChar(offsetMinutes < 0 ? u'-' : u'+'))
               .arg(absOffset / 60, 2, 10, QChar(u'0'))
               .arg(absOffset % 60, 2, 10, QChar(u'0'));
}

QString getLocalDateTime(Date date) {
    const QDateTime dt = localDateTime(date);
    const QLocale locale;
    return locale.toString(dt.date(), QLocale::ShortFormat) + QStringLiteral(", ") +
           locale.toString(dt.time(), QLocale::ShortFormat);
}
