// The row decoder's text conversions: numbers, Base64, dates, URLs and decimals.
#include "CSV/TextConversions.h"
#include "CSV/DateFormatter.h"
#include "CSV/Decimal.h"
#include "CSV/URL.h"

#include <gtest/gtest.h>

#include <cmath>

namespace csv::test {
namespace {

using namespace std::chrono;
using detail::decodeBase64;
using detail::parseISO8601;
using detail::parseNumber;

TEST(TextConversions, Numbers) {
    EXPECT_EQ(parseNumber<std::int8_t>("-128"), -128);
    EXPECT_EQ(parseNumber<std::int8_t>("+12"), 12);
    for (const char* bad : {"128", "", "+", "-", "+-1", " 1", "1 ", "1.0", "0x10", "1e3"}) {
        EXPECT_EQ(parseNumber<std::int8_t>(bad), std::nullopt) << bad;
    }
    EXPECT_EQ(parseNumber<std::uint64_t>("18446744073709551615"), UINT64_MAX);
    EXPECT_EQ(parseNumber<std::uint64_t>("-1"), std::nullopt);

    EXPECT_EQ(parseNumber<double>("2.5"), 2.5);
    EXPECT_EQ(parseNumber<double>("+2.5e-1"), 0.25);
    EXPECT_EQ(parseNumber<double>("-.5"), -0.5);
    EXPECT_TRUE(std::isinf(*parseNumber<double>("inf")));
    for (const char* bad : {"1,5", "", "abc", "1.5x", "+-1", " 1"}) {
        EXPECT_EQ(parseNumber<double>(bad), std::nullopt) << bad;
    }
    EXPECT_EQ(parseNumber<float>("0.1"), 0.1f);
}

TEST(TextConversions, Base64) {
    const auto text = [](std::string_view encoded) {
        const auto bytes = decodeBase64(encoded);
        return bytes ? std::optional(std::string(bytes->begin(), bytes->end())) : std::nullopt;
    };
    const std::pair<const char*, const char*> valid[] = {
        {"", ""},        {"Zg==", "f"},          {"Zm8=", "fo"},
        {"Zm9v", "foo"}, {"Zm9vYmFy", "foobar"}, {"/+8=", "\xFF\xEF"}};
    for (const auto& [encoded, decoded] : valid) {
        EXPECT_EQ(text(encoded), decoded) << encoded;
    }
    for (const char* bad : {"Zm9", "Zm9v\n", "Z===", "Zm=v", "====", "Zm9-", "Zg==Zg=="}) {
        EXPECT_EQ(text(bad), std::nullopt) << bad;
    }
}

TEST(TextConversions, ISO8601) {
    const TimePoint expected(sys_days(2024y / May / 17) + 10h + 22min + 31s);
    // "Z" and "+02:00" are read through the row decoder's ISO 8601 strategy.
    EXPECT_EQ(parseISO8601("2024-05-17T07:52:31-02:30"), expected);
    for (const char* bad : {"2024-05-17T10:22:31", "2024-05-17 10:22:31Z", "2024-02-30T00:00:00Z",
                            "2024-05-17T24:00:00Z", "2024-05-17T10:22:31.5Z", "2024-5-17T10:22:31Z",
                            "2024-05-17T10:22:31+0200", "2024-05-17T10:22:31+-1:00", ""}) {
        EXPECT_EQ(parseISO8601(bad), std::nullopt) << bad;
    }
}

TEST(TextConversions, DateFormatter) {
    const DateFormatter plain("%Y-%m-%d %H:%M");
    EXPECT_EQ(plain.date("2024-05-17 10:22"), TimePoint(sys_days(2024y / May / 17) + 10h + 22min));
    EXPECT_EQ(plain.date("2024-05-17 10:22 extra"), std::nullopt);
    EXPECT_EQ(plain.date("2024-02-30 10:22"), std::nullopt);
    EXPECT_EQ(plain.date("17.05.2024"), std::nullopt);

    const DateFormatter paris("%d/%m/%Y %H:%M", 2h);
    EXPECT_EQ(paris.date("17/05/2024 12:00"), TimePoint(sys_days(2024y / May / 17) + 10h));
    // What the pattern leaves out is taken from 1970-01-01 00:00.
    EXPECT_EQ(DateFormatter("%H:%M").date("01:30"), TimePoint(90min));
}

TEST(TextConversions, URLs) {
    const auto url = URL::parse("https://example.com/a?b=c#d");
    ASSERT_TRUE(url);
    EXPECT_EQ(url->scheme(), "https");
    EXPECT_EQ(url->string(), "https://example.com/a?b=c#d");
    EXPECT_EQ(URL::parse("mailto:someone@example.com")->scheme(), "mailto");
    EXPECT_EQ(URL::parse("/relative/path?x=%41")->scheme(), "");
    EXPECT_TRUE(URL::parse("http://[::1]:8080/"));
    for (const char* bad : {"", "has space", "a[b]", "%zz", "%4", "1http://x", "a#b#c", "caf\u00E9",
                            "http://x/<y>"}) {
        EXPECT_FALSE(URL::parse(bad)) << bad;
    }
}

TEST(TextConversions, Decimals) {
    const auto decimal = [](std::string_view text) {
        const auto value = Decimal::parse(text);
        return value ? value->toString() : "invalid";
    };
    const std::pair<const char*, const char*> valid[] = {
        {"12.50", "12.5"},    {"-0.00", "0"}, {"+7", "7"}, {"1e3", "1000"},
        {"1.5E-3", "0.0015"}, {".5", "0.5"},  {"5.", "5"}, {"0012300", "12300"}};
    for (const auto& [text, canonical] : valid) {
        EXPECT_EQ(decimal(text), canonical) << text;
    }
    const std::string mostDigits = "12345678901234567890123456789012345678";
    EXPECT_EQ(decimal(mostDigits), mostDigits);
    for (const char* bad : {"", ".", "e5", "1.2.3", "1e", "1e+", "abc", "1 ", "--1",
                            "123456789012345678901234567890123456789", "1e128", "1e-129"}) {
        EXPECT_EQ(decimal(bad), "invalid") << bad;
    }
    EXPECT_EQ(Decimal::parse("-12.5")->toDouble(), -12.5);
    EXPECT_EQ(Decimal::parse("1.50"), Decimal::parse("15e-1"));
    EXPECT_EQ(Decimal::parse("2.5")->exponent(), -1);
    EXPECT_EQ(Decimal::parse("2.5")->significand(), "25");
}

} // namespace
} // namespace csv::test
