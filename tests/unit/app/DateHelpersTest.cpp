#include "support/DateHelpers.h"
#include "tests/support/TimeZone.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <tuple>

namespace {

// 2021-03-03 14:05:09 UTC.
constexpr double march3rd1405Utc = 1614780309.0;

} // namespace

// Numeric components and the prefix rule; pieces that do not parse are dropped; signs count
// and values keep to 64 bits.
TEST(CompareVersions, NumericComponentsPrefixesUnparsedPiecesSignsAndRange) {
    // In " 1.2" the piece " 1" is dropped; \u0662 is no ASCII digit; an overflow leaves 1.
    // "first|second", by how first compares to second.
    const std::pair<int, QStringList> cases[] = {
        {-1,
         {"1.2|1.10", "2|10.0", "1.-1|1.0", "9223372036854775808.1|5",
          "-9223372036854775808|-9223372036854775807"}},
        {0,
         {"1.2|1.2.7", "1.2.7|1.2", "3.0.0|3", "1.01|1.1", "..1..2.|1.2", "|3.1", "abc|1",
          "1.x.3|1.3", "2.0-beta|2.5", "1.2 |1.9", "1.++2|1.1", "1.+-2|1.1", "1.-|1.1",
          "1.\u0662|1.1", "1.+2|1.2", "1.99999999999999999999|1.5"}},
        {1,
         {"1.10|1.2", "..1..3.|1.2", "1.x.3|1.2", " 1.2|0.9",
          "9223372036854775807|9223372036854775806", "-9223372036854775809.4|3"}}};
    for (const auto& [order, pairs] : cases) {
        for (const QString& pair : pairs) {
            const QStringList v = pair.split(u'|');
            EXPECT_EQ(compareVersions(v[0], v[1]), order) << pair.toStdString();
        }
    }
}

TEST(DateTextFunctions, IsoTwentyFourHourClockWithOffsetAndLocalTextInTheLocalesForm) {
    // Midnight is 00 and noon 12; fractions of a second are cut, not rounded; summer time
    // changes the offset with the date.
    const std::tuple<const char*, double, const char*> cases[] = {
        {"CET-1", march3rd1405Utc, "2021-03-03T15:05:09+0100"},
        {"CET-1", 1614726000.999, "2021-03-03T00:00:00+0100"},
        {"CET-1", 1614769200, "2021-03-03T12:00:00+0100"},
        {"UTC0", march3rd1405Utc, "2021-03-03T14:05:09+0000"},
        {"UTC0", 978307200, "2001-01-01T00:00:00+0000"}, // the reference date
        {"<-0330>3:30", march3rd1405Utc, "2021-03-03T10:35:09-0330"},
        {"Europe/Berlin", 1625320800, "2021-07-03T16:00:00+0200"}};
    for (const auto& [zone, unixSeconds, text] : cases) {
        const TimeZone tz(zone);
        EXPECT_EQ(getDisplayDateISO8601(Date::fromUnixSeconds(unixSeconds)), text)
            << zone << " " << unixSeconds;
    }

    // The local text follows the locale.
    const TimeZone tz("UTC0");
    const Date date = Date::fromUnixSeconds(march3rd1405Utc);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QString us = getLocalDateTime(date);
    EXPECT_TRUE(us.startsWith(QStringLiteral("3/3/21, 2:05"))) << us.toStdString();
    EXPECT_TRUE(us.endsWith(QStringLiteral("PM"))) << us.toStdString();
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(getLocalDateTime(date), QStringLiteral("03.03.21, 14:05"));
    QLocale::setDefault(QLocale::system());
}

// The table's fast formatter answers exactly what the two functions answer, on every day,
// including the days the clocks change (30 minutes on Lord Howe Island), and for dates far
// outside the calendar a text of the same shape.
TEST(DateTexts, AnswersWhatTheFunctionsAnswer) {
    for (const char* zone :
         {"UTC0", "Europe/Berlin", "Australia/Lord_Howe", "America/St_Johns", "<-0330>3:30"}) {
        const TimeZone tz(zone);
        for (const auto& locale : {QLocale(QLocale::English, QLocale::UnitedStates),
                                   QLocale(QLocale::German, QLocale::Germany), QLocale::c()}) {
            QLocale::setDefault(locale);
            DateTexts texts;
            // Two years in steps that visit every time of day.
            for (double t = 1609459200; t < 1672531200; t += 4441.7) {
                const Date date = Date::fromUnixSeconds(t);
                ASSERT_EQ(texts.displayDateISO8601(date), getDisplayDateISO8601(date))
                    << zone << ' ' << t;
                ASSERT_EQ(texts.localDateTime(date), getLocalDateTime(date)) << zone << ' ' << t;
            }
            for (const double seconds : {1e300, -1e300, 1e15}) {
                EXPECT_EQ(texts.displayDateISO8601(Date{seconds}),
                          getDisplayDateISO8601(Date{seconds}));
                EXPECT_FALSE(texts.localDateTime(Date{seconds}).isEmpty());
            }
        }
    }
    QLocale::setDefault(QLocale::system());
}
