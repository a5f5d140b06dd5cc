// The UTF-8, UTF-16 and UTF-32 decoders and encoders, the scalar iterator's error reporting, and
// the run scanner's fast paths.
#include "CSV/UnicodeIterator.h"
#include "CSV/RunScanner.h"
#include "CSVTestSupport.h"

#include <gtest/gtest.h>

#include <array>

namespace csv::test {
namespace {

using namespace std::string_literals;

// The units of at most a few scalars, without allocating: the round trip runs for every scalar.
template <class Unit> struct UnitList {
    std::array<Unit, 16> units{};
    std::size_t count = 0;
    std::size_t position = 0;
    std::optional<Unit> next() {
        return position < count ? std::optional(units[position++]) : std::nullopt;
    }
};

// The scalars and the number of errors reported.
using Decoded = std::pair<std::u32string, int>;

// Any sequence of integers or characters as the codec's units.
template <class Codec, class Units> Decoded decode(const Units& units) {
    UnitList<typename Codec::CodeUnit> input;
    for (const auto unit : units) {
        input.units.at(input.count++) = static_cast<typename Codec::CodeUnit>(unit);
    }
    UnicodeIterator iterator(input, Codec{});
    Decoded decoded;
    iterator.errorHandler = [&](const CSVError& error) {
        EXPECT_EQ(error.kind(), CSVError::Kind::unicodeDecoding);
        ++decoded.second;
    };
    std::ranges::copy(iterator, std::back_inserter(decoded.first));
    // An ill-formed sequence ends the scalars for good.
    EXPECT_FALSE(iterator.next());
    return decoded;
}

TEST(UnicodeDecoding, UTF8IllFormedEndsTheScalars) {
    for (const std::string& bad :
         {"\x80"s, "\xBF"s, "\xC0\x80"s, "\xC1\xBF"s, "\xE0\x80\x80"s, "\xE0\x9F\xBF"s,
          "\xED\xA0\x80"s, "\xED\xBF\xBF"s, "\xF0\x80\x80\x80"s, "\xF0\x8F\xBF\xBF"s,
          "\xF4\x90\x80\x80"s, "\xF5\x80\x80\x80"s, "\xFE"s, "\xFF"s, "\xE2\x82"s, "\xF0\x9F\x98"s,
          "\xE2\x82\x41"s, "\xC3\x28"s}) {
        EXPECT_EQ(decode<UTF8>("ok" + bad + "z"), Decoded(U"ok", 1)) << testing::PrintToString(bad);
    }
}

TEST(UnicodeDecoding, UTF16AndUTF32) {
    EXPECT_EQ(decode<UTF16>(u"a\U0001F600\uFFFF"s), Decoded(U"a\U0001F600\uFFFF", 0));
    for (const auto& bad : std::vector<std::vector<std::uint16_t>>{
             {0xDC00}, {0xD800, 0x61}, {0xD800}, {0xD800, 0xD800}}) {
        EXPECT_EQ(decode<UTF16>(bad), Decoded(U"", 1));
    }
    EXPECT_EQ(decode<UTF32>(U"a\U0010FFFF"s), Decoded(U"a\U0010FFFF", 0));
    for (const std::uint32_t bad : {0xD800u, 0xDFFFu, 0x110000u, 0xFFFFFFFFu}) {
        EXPECT_EQ(decode<UTF32>(std::vector{0x62u, bad, 0x63u}), Decoded(U"b", 1)) << bad;
    }
}

template <class Codec> bool roundTrips(char32_t scalar) {
    UnitList<typename Codec::CodeUnit> input;
    Codec::encode(scalar, [&](auto unit) { input.units[input.count++] = unit; });
    UnicodeIterator iterator(input, Codec{});
    return iterator.next() == scalar && !iterator.next();
}

TEST(UnicodeEncoding, EveryScalarRoundTrips) {
    std::vector<char32_t> failures;
    for (char32_t scalar = 0; scalar <= maxScalar; ++scalar) {
        if (!isSurrogate(scalar) &&
            !(roundTrips<UTF8>(scalar) && roundTrips<UTF16>(scalar) && roundTrips<UTF32>(scalar))) {
            failures.push_back(scalar);
        }
    }
    EXPECT_TRUE(failures.empty()) << failures.size() << " scalars, the first "
                                  << static_cast<unsigned>(failures.front());
}

// The corners of the fast paths that the reader and writer never reach (both compare their fast
// paths with the plain decoder): more ASCII stops than one word test holds, a UTF-16 run without
// a byte order, and a stop outside ASCII in a text check.

// The run's text, the bytes consumed and the stop.
template <class Codec>
std::tuple<std::string, std::size_t, char32_t> scan(std::string_view utf8, Endian endian) {
    const RunStops many{U'a', U'b', U'c', U'd', U'e'};
    const std::string bytes = encoded<Codec>(utf8, endian);
    std::string text;
    const detail::RunResult result = detail::scanRun<Codec>(
        {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, endian, many, text);
    return {text, result.consumed, result.stop};
}

TEST(RunScanner, Corners) {
    EXPECT_EQ(scan<UTF8>("xyzxyzxyzxyze", Endian::unknown), std::tuple("xyzxyzxyzxyz"s, 13u, U'e'));
    EXPECT_EQ(scan<UTF16>("xyzxyzxyzxyze", Endian::little), std::tuple("xyzxyzxyzxyz"s, 26u, U'e'));
    EXPECT_EQ(scan<UTF16>("xyz", Endian::unknown), std::tuple(""s, 0u, noScalar));
    EXPECT_TRUE(detail::checkText("x\u00A7y", {U'\u00A7'}).hasStop);
    EXPECT_FALSE(detail::checkText("x\u00A8y", {U'\u00A7'}).hasStop);
}

} // namespace
} // namespace csv::test
