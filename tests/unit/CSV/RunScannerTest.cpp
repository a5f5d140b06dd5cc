// The fast paths that take runs of text straight from the input buffer.
#include "CSV/RunScanner.h"
#include "ReaderSupport.h"

#include <gtest/gtest.h>

namespace csv::test {
namespace {

using detail::RunResult;
using namespace std::string_literals;

struct Scanned {
    std::string text;
    std::size_t consumed;
    char32_t stop;
    bool operator==(const Scanned&) const = default;
};

void PrintTo(const Scanned& s, std::ostream* os) {
    *os << testing::PrintToString(s.text) << " consumed " << s.consumed << " stop "
        << static_cast<unsigned long>(s.stop);
}

template <class Codec>
Scanned scan(std::string_view utf8, const RunStops& stops, Endian endian = Endian::little,
             std::size_t cut = 0) {
    const std::string bytes =
        std::is_same_v<Codec, UTF8> ? std::string(utf8) : encoded<Codec>(utf8, endian);
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    std::string text = "<";
    const RunResult result =
        detail::scanRun<Codec>({data, bytes.size() - cut}, endian, stops, text);
    return {text, result.consumed, result.stop};
}

TEST(RunScanner, UTF8RunsEndAtStopsOrLeaveTheRestToTheDecoder) {
    const RunStops stops{U',', U'\n', U'\r'};
    EXPECT_EQ(scan<UTF8>("abcdefghijkl,mn", stops), (Scanned{"<abcdefghijkl", 13, U','}));
    EXPECT_EQ(scan<UTF8>("caf\u00E9 \u65E5\U0001F600\nx", stops),
              (Scanned{"<caf\u00E9 \u65E5\U0001F600", 14, U'\n'}));
    EXPECT_EQ(scan<UTF8>("abc", stops), (Scanned{"<abc", 3, noScalar}));
    // Ill-formed, or cut by the end of the buffer: not consumed.
    EXPECT_EQ(scan<UTF8>("abcdefghij\xC0\x80,", stops), (Scanned{"<abcdefghij", 10, noScalar}));
    EXPECT_EQ(scan<UTF8>("ab\xE2\x82\xAC", stops, Endian::unknown, 1),
              (Scanned{"<ab", 2, noScalar}));

    const RunStops section{U'\u00A7', U'"'};
    EXPECT_EQ(scan<UTF8>("\u00E9\u00A8\u00A7x", section), (Scanned{"<\u00E9\u00A8", 6, U'\u00A7'}));

    // More ASCII stops than one word test holds.
    const RunStops many{U'a', U'b', U'c', U'd', U'e'};
    EXPECT_EQ(scan<UTF8>("xyzxyzxyzxyze", many), (Scanned{"<xyzxyzxyzxyz", 13, U'e'}));
}

TEST(RunScanner, WideRuns) {
    const RunStops stops{U',', U'\n', U'"'};
    for (const Endian endian : {Endian::little, Endian::big}) {
        EXPECT_EQ(scan<UTF16>("abcdefghij\"k", stops, endian), (Scanned{"<abcdefghij", 22, U'"'}));
        EXPECT_EQ(scan<UTF16>("ab\u00E9cdefg\U0001F600hi,", stops, endian),
                  (Scanned{"<ab\u00E9cdefg\U0001F600hi", 26, U','}));
        // A surrogate pair cut by the end of the buffer is left alone.
        EXPECT_EQ(scan<UTF16>("ab\U0001F600", stops, endian, 2), (Scanned{"<ab", 4, noScalar}));
        EXPECT_EQ(scan<UTF32>("a\u00E9\U0001F600,", stops, endian),
                  (Scanned{"<a\u00E9\U0001F600", 16, U','}));
    }
    EXPECT_EQ(scan<UTF16>("abc", stops, Endian::unknown), (Scanned{"<", 0, noScalar}));
    const std::string loneLow = "a\0b\0\x00\xDC"s;
    std::string text;
    const RunResult result = detail::scanRun<UTF16>(
        {reinterpret_cast<const std::uint8_t*>(loneLow.data()), loneLow.size()}, Endian::little,
        stops, text);
    EXPECT_EQ(text, "ab");
    EXPECT_EQ(result.consumed, 4u);
}

TEST(RunScanner, CheckText) {
    const RunStops quoting{U'"', U'\r', U'\n', U';'};
    EXPECT_EQ(detail::checkText("plain text here", quoting).hasStop, false);
    EXPECT_EQ(detail::checkText("a longer text; with a stop", quoting).hasStop, true);
    EXPECT_EQ(detail::checkText("caf\u00E9\r", quoting).hasStop, true);
    EXPECT_FALSE(detail::checkText("abcdefgh\xFF", quoting).wellFormed);
    EXPECT_FALSE(detail::checkText("\xED\xA0\x80", quoting).wellFormed);
    const RunStops section{U'\u00A7'};
    EXPECT_TRUE(detail::checkText("x\u00A7y", section).hasStop);
    EXPECT_FALSE(detail::checkText("x\u00A8y", section).hasStop);
}

} // namespace
} // namespace csv::test
