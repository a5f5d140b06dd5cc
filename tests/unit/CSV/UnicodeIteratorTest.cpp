// The UTF-8, UTF-16 and UTF-32 decoders and encoders, and the scalar iterator's error reporting.
#include "CSV/UnicodeIterator.h"
#include "CSV/BinaryReader.h"
#include "CSV/MemoryStreams.h"
#include "Printers.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace csv::test {
namespace {

using namespace std::string_literals;

template <class Unit> struct UnitList {
    std::vector<Unit> units;
    std::size_t position = 0;
    std::optional<Unit> next() {
        if (position == units.size()) {
            return std::nullopt;
        }
        return units[position++];
    }
};

struct Decoded {
    std::u32string scalars;
    std::vector<CSVError::Kind> errors;
};

template <class Codec, class Unit> Decoded decode(std::vector<Unit> units) {
    UnicodeIterator iterator(UnitList<Unit>{std::move(units)}, Codec{});
    Decoded decoded;
    iterator.errorHandler = [&](const CSVError& error) { decoded.errors.push_back(error.kind()); };
    for (const char32_t scalar : iterator) {
        decoded.scalars.push_back(scalar);
    }
    // An ill-formed sequence ends the scalars for good.
    EXPECT_FALSE(iterator.next());
    return decoded;
}

Decoded decodeUTF8(const std::string& bytes) {
    return decode<UTF8>(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

const std::vector<CSVError::Kind> decodingError{CSVError::Kind::unicodeDecoding};

TEST(UnicodeDecoding, UTF8WellFormed) {
    EXPECT_EQ(decodeUTF8("a\u00E9\u20AC\U0001F600").scalars, U"a\u00E9\u20AC\U0001F600");
    // The edges of the well-formed ranges.
    const Decoded edges = decodeUTF8("\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80"
                                     "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF");
    EXPECT_EQ(edges.scalars, U"\u007F\u0080\u07FF\u0800\uD7FF\uE000\U00010000\U0010FFFF");
    EXPECT_TRUE(edges.errors.empty());
}

TEST(UnicodeDecoding, UTF8IllFormed) {
    const Decoded decoded = decodeUTF8("\xC3\x28");
    EXPECT_TRUE(decoded.scalars.empty());
    EXPECT_EQ(decoded.errors, decodingError);

    for (const std::string& bad :
         {"\x80"s, "\xBF"s, "\xC0\x80"s, "\xC1\xBF"s, "\xE0\x80\x80"s, "\xE0\x9F\xBF"s,
          "\xED\xA0\x80"s, "\xED\xBF\xBF"s, "\xF0\x80\x80\x80"s, "\xF0\x8F\xBF\xBF"s,
          "\xF4\x90\x80\x80"s, "\xF5\x80\x80\x80"s, "\xFE"s, "\xFF"s, "\xE2\x82"s, "\xF0\x9F\x98"s,
          "\xE2\x82\x41"s}) {
        const Decoded result = decodeUTF8("ok" + bad + "after");
        EXPECT_EQ(result.scalars, U"ok") << testing::PrintToString(bad);
        EXPECT_EQ(result.errors, decodingError) << testing::PrintToString(bad);
    }
}

TEST(UnicodeDecoding, UTF16) {
    EXPECT_EQ((decode<UTF16, std::uint16_t>({0x61, 0xD83D, 0xDE00, 0xFFFF}).scalars),
              U"a\U0001F600\uFFFF");
    for (const auto& bad : std::vector<std::vector<std::uint16_t>>{
             {0xDC00}, {0xD800, 0x61}, {0xD800}, {0xD800, 0xD800}}) {
        const Decoded result = decode<UTF16>(bad);
        EXPECT_TRUE(result.scalars.empty());
        EXPECT_EQ(result.errors, decodingError);
    }
}

TEST(UnicodeDecoding, UTF32) {
    EXPECT_EQ((decode<UTF32, std::uint32_t>({0x61, 0x10FFFF}).scalars), U"a\U0010FFFF");
    for (const std::uint32_t bad : {0xD800u, 0xDFFFu, 0x110000u, 0xFFFFFFFFu}) {
        const Decoded result = decode<UTF32, std::uint32_t>({0x62, bad, 0x63});
        EXPECT_EQ(result.scalars, U"b");
        EXPECT_EQ(result.errors, decodingError);
    }
}

TEST(UnicodeDecoding, CodeUnitErrorInsideAScalarIsReportedTwice) {
    auto stream = std::make_shared<MemoryInputStream>("\xD8\x3D\xDE");
    BinaryReader::UInt16Iterator units(
        std::make_shared<BinaryReader>(stream, Endian::big, true, 16));
    std::vector<CSVError::Kind> errors;
    units.errorHandler = [&](const CSVError& error) { errors.push_back(error.kind()); };
    UnicodeIterator scalars(std::move(units), UTF16{});
    scalars.errorHandler = [&](const CSVError& error) { errors.push_back(error.kind()); };
    EXPECT_FALSE(scalars.next());
    EXPECT_EQ(errors, (std::vector{CSVError::Kind::stringEncodingMismatch,
                                   CSVError::Kind::unicodeDecoding}));
}

template <class Codec> std::vector<typename Codec::CodeUnit> encode(char32_t scalar) {
    std::vector<typename Codec::CodeUnit> units;
    Codec::encode(scalar, [&](typename Codec::CodeUnit unit) { units.push_back(unit); });
    return units;
}

TEST(UnicodeEncoding, KnownForms) {
    EXPECT_EQ(encode<UTF8>(U'\u00E9'), (std::vector<std::uint8_t>{0xC3, 0xA9}));
    EXPECT_EQ(encode<UTF8>(U'\u20AC'), (std::vector<std::uint8_t>{0xE2, 0x82, 0xAC}));
    EXPECT_EQ(encode<UTF8>(U'\U0001F600'), (std::vector<std::uint8_t>{0xF0, 0x9F, 0x98, 0x80}));
    EXPECT_EQ(encode<UTF16>(U'\U0001F600'), (std::vector<std::uint16_t>{0xD83D, 0xDE00}));
    EXPECT_EQ(encode<UTF16>(U'\uFFFD'), (std::vector<std::uint16_t>{0xFFFD}));
    EXPECT_EQ(encode<UTF32>(U'\U0010FFFF'), (std::vector<std::uint32_t>{0x10FFFF}));
}

// The units of one scalar, without allocating: this runs for every scalar.
template <class Unit> struct FewUnits {
    std::array<Unit, 4> units{};
    std::size_t count = 0;
    std::size_t position = 0;
    std::optional<Unit> next() {
        if (position == count) {
            return std::nullopt;
        }
        return units[position++];
    }
};

template <class Codec> bool roundTrips(char32_t scalar) {
    FewUnits<typename Codec::CodeUnit> input;
    Codec::encode(scalar,
                  [&](typename Codec::CodeUnit unit) { input.units[input.count++] = unit; });
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

} // namespace
} // namespace csv::test
