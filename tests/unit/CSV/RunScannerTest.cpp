// The corners of the fast paths that the reader and writer never reach (both compare their fast
// paths with the plain decoder): more ASCII stops than one word test holds, a UTF-16 run without
// a byte order, and a stop outside ASCII in a text check.
#include "CSV/RunScanner.h"
#include "CSVTestSupport.h"

#include <gtest/gtest.h>

namespace csv::test {
namespace {

using namespace std::string_literals;

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
