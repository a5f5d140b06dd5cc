#include "support/DateHelpers.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <ctime>
#include <optional>
#include <span>
#include <tuple>

namespace {

// Sets TZ for the life of the object.
class TimeZone {
public:
    explicit TimeZone(const char* tz) {
        qputenv("TZ", tz);
        tzset();
    }
    ~TimeZone() {
        previous_ ? qputenv("TZ", *previous_) : qunsetenv("TZ");
        tzset();
    }
    TimeZone(const TimeZone&) = delete;
    TimeZone& operator=(const TimeZone&) = delete;

private:
    const std::optional<QByteArray> previous_ =
        qEnvironmentVariableIsSet("TZ") ? std::optional(qgetenv("TZ")) : std::nullopt;
};

// 2021-03-03 14:05:09 UTC.
constexpr double march3rd1405Utc = 1614780309.0;

} // namespace

// Two versions and how the first compares with the second.
using VersionCase = std::tuple<const char16_t*, const char16_t*, int>;

void expectComparisons(std::span<const VersionCase> cases) {
    for (const auto& [a, b, expected] : cases) {
        EXPECT_EQ(compareVersions(a, b), expected)
            << QString::fromUtf16(a).toStdString() << " against "
            << QString::fromUtf16(b).toStdString();
    }
}

TEST(CompareVersions, NumericComponentsAndThePrefixRule) {
    const VersionCase cases[] = {
        {u"1.2", u"1.10", -1}, {u"1.10", u"1.2", 1},    {u"1.2", u"1.2.7", 0},
        {u"1.2.7", u"1.2", 0}, {u"2", u"10.0", -1},     {u"3.0.0", u"3", 0},
        {u"1.01", u"1.1", 0},  {u"..1..2.", u"1.2", 0}, {u"..1..3.", u"1.2", 1}};
    expectComparisons(cases);
}

// " 1.2" keeps only its 2; only ASCII digits count.
TEST(CompareVersions, PiecesThatDoNotParseAreDropped) {
    const VersionCase cases[] = {
        {u"", u"3.1", 0},      {u"abc", u"1", 0},        {u"1.x.3", u"1.3", 0},
        {u"1.x.3", u"1.2", 1}, {u"2.0-beta", u"2.5", 0}, {u"1.2 ", u"1.9", 0},
        {u" 1.2", u"0.9", 1},  {u"1.++2", u"1.1", 0},    {u"1.+-2", u"1.1", 0},
        {u"1.-", u"1.1", 0},   {u"1.\u0662", u"1.1", 0}};
    expectComparisons(cases);
}

// An overflowing piece is dropped.
TEST(CompareVersions, SignsAndSixtyFourBitRange) {
    const VersionCase cases[] = {{u"1.-1", u"1.0", -1},
                                 {u"1.+2", u"1.2", 0},
                                 {u"1.99999999999999999999", u"1.5", 0},
                                 {u"9223372036854775807", u"9223372036854775806", 1},
                                 {u"9223372036854775808.1", u"5", -1},
                                 {u"-9223372036854775808", u"-9223372036854775807", -1},
                                 {u"-9223372036854775809.4", u"3", 1}};
    expectComparisons(cases);
}

TEST(DisplayDateISO8601, TwelveHourClockWithOffset) {
    const std::tuple<const char*, double, const char*> cases[] = {
        {"CET-1", march3rd1405Utc, "2021-03-03T03:05:09+0100"},
        // Midnight and noon are both 12; fractions of a second are cut, not rounded.
        {"CET-1", 1614726000.999, "2021-03-03T12:00:00+0100"},
        {"CET-1", 1614769200, "2021-03-03T12:00:00+0100"},
        {"UTC0", march3rd1405Utc, "2021-03-03T02:05:09+0000"},
        {"UTC0", Date::unixEpochOffset, "2001-01-01T12:00:00+0000"},
        {"<-0330>3:30", march3rd1405Utc, "2021-03-03T10:35:09-0330"},
        // Summer time changes the offset with the date.
        {"Europe/Berlin", 1625320800, "2021-07-03T04:00:00+0200"}};
    for (const auto& [zone, unixSeconds, expected] : cases) {
        const TimeZone tz(zone);
        EXPECT_EQ(getDisplayDateISO8601(Date::fromUnixSeconds(unixSeconds)),
                  QString::fromLatin1(expected))
            << zone;
    }
}

TEST(LocalDateTime, FollowsTheLocale) {
    TimeZone tz("UTC0");
    const Date date = Date::fromUnixSeconds(march3rd1405Utc);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QString us = getLocalDateTime(date);
    EXPECT_TRUE(us.startsWith(QStringLiteral("3/3/21, 2:05"))) << us.toStdString();
    EXPECT_TRUE(us.endsWith(QStringLiteral("PM"))) << us.toStdString();
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(getLocalDateTime(date), QStringLiteral("03.03.21, 14:05"));
    QLocale::setDefault(QLocale::system());
}
