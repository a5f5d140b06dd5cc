// The parser's state table, row ends and quoting, on text input.
#include "ReaderSupport.h"

#include <gtest/gtest.h>

namespace csv::test {
namespace {

using Rows = std::vector<Row>;

TEST(CSVReaderRows, UnquotedFieldsAndRowEnds) {
    EXPECT_EQ(rowsOf("a,b,c"), (Rows{{"a", "b", "c"}}));
    EXPECT_EQ(rowsOf("a,b\n"), (Rows{{"a", "b"}}));
    EXPECT_EQ(rowsOf("a,b\n\nc"), (Rows{{"a", "b"}, {""}, {"c"}}));
    EXPECT_EQ(rowsOf("a,\n"), (Rows{{"a", ""}}));
    EXPECT_EQ(rowsOf("a,"), (Rows{{"a", ""}}));
    EXPECT_EQ(rowsOf(","), (Rows{{"", ""}}));
    EXPECT_EQ(rowsOf("\n"), (Rows{{""}}));
    EXPECT_EQ(rowsOf(""), Rows{});
    EXPECT_EQ(rowsOf("a\nbb,c\nd,e,f"), (Rows{{"a"}, {"bb", "c"}, {"d", "e", "f"}}));
}

TEST(CSVReaderRows, AllThreeLineEnds) {
    EXPECT_EQ(rowsOf("a\rb\r\nc"), (Rows{{"a"}, {"b"}, {"c"}}));
    EXPECT_EQ(rowsOf("a\r"), (Rows{{"a"}}));
    EXPECT_EQ(rowsOf("a\r\n"), (Rows{{"a"}}));
    EXPECT_EQ(rowsOf("a\r\rb"), (Rows{{"a"}, {""}, {"b"}}));
    EXPECT_EQ(rowsOf("a\r\n\r\nb"), (Rows{{"a"}, {""}, {"b"}}));
    EXPECT_EQ(rowsOf("a\n\rb"), (Rows{{"a"}, {""}, {"b"}}));
    EXPECT_EQ(rowsOf("\"a\"\r\nb"), (Rows{{"a"}, {"b"}}));
    EXPECT_EQ(rowsOf("\"a\"\rb"), (Rows{{"a"}, {"b"}}));
    EXPECT_EQ(rowsOf("\"a\"\nb"), (Rows{{"a"}, {"b"}}));
    EXPECT_EQ(rowsOf("\"a\"\r"), (Rows{{"a"}}));
    // The scalar after a lone CR begins the next row, even a quote.
    EXPECT_EQ(rowsOf("a\r\"b,c\""), (Rows{{"a"}, {"b,c"}}));
}

TEST(CSVReaderRows, QuotedFields) {
    EXPECT_EQ(rowsOf("\"x,y\",z"), (Rows{{"x,y", "z"}}));
    EXPECT_EQ(rowsOf("\"a\"\"b\"\"\"\"\""), (Rows{{"a\"b\"\""}}));
    EXPECT_EQ(rowsOf("\"a\nb\",c\nd"), (Rows{{"a\nb", "c"}, {"d"}}));
    EXPECT_EQ(rowsOf("\"a\r\nb\""), (Rows{{"a\r\nb"}}));
    EXPECT_EQ(rowsOf("\"\""), (Rows{{""}}));
    EXPECT_EQ(rowsOf("\"\",\"\""), (Rows{{"", ""}}));
    EXPECT_EQ(rowsOf("\"a\","), (Rows{{"a", ""}}));
    EXPECT_EQ(rowsOf("a,\"b\""), (Rows{{"a", "b"}}));
}

TEST(CSVReaderRows, QuotesInUnusualPlaces) {
    // After a closing quote, a scalar that is no row end or delimiter turns into one quote.
    EXPECT_EQ(rowsOf("\"ab\"c\",d"), (Rows{{"ab\"", "d"}}));
    EXPECT_EQ(rowsOf("\"a\" x\",c"), (Rows{{"a\"x", "c"}}));
    // A doubled quote at the very end.
    EXPECT_EQ(rowsOf("\"a\"\""), (Rows{{"a\""}}));
    // Never closed: the rest of the input, without error.
    CSVReader open("\"abc,d\ne");
    EXPECT_EQ(readRows(open), (Rows{{"abc,d\ne"}}));
    EXPECT_FALSE(open.error());
    // A quote inside an unquoted field is an ordinary character.
    EXPECT_EQ(rowsOf("a\"b,c"), (Rows{{"a\"b", "c"}}));
    EXPECT_EQ(rowsOf("ab\"c\""), (Rows{{"ab\"c\""}}));
    // Without trimming, a space before the quote makes the field unquoted.
    EXPECT_EQ(rowsOf(" \"a\",b"), (Rows{{" \"a\"", "b"}}));
}

TEST(CSVReaderRows, TrimmingOutsideQuotesOnly) {
    const std::string input = "  a  ,  \"b \"  ,c";
    EXPECT_EQ(rowsOf(input, trimmed()), (Rows{{"a", "b ", "c"}}));
    EXPECT_EQ(rowsOf(input), (Rows{{"  a  ", "  \"b \"  ", "c"}}));

    EXPECT_EQ(rowsOf("  ,  ", trimmed()), (Rows{{"", ""}}));
    EXPECT_EQ(rowsOf("a,   ", trimmed()), (Rows{{"a", ""}}));
    EXPECT_EQ(rowsOf("\"a\"   ", trimmed()), (Rows{{"a"}}));
    EXPECT_EQ(rowsOf("\"a\"  \nb", trimmed()), (Rows{{"a"}, {"b"}}));
    EXPECT_EQ(rowsOf("\"a\" \r\nb", trimmed()), (Rows{{"a"}, {"b"}}));
    EXPECT_EQ(rowsOf("\"a\" x\",c", trimmed()), (Rows{{"a\"", "c"}}));
    EXPECT_EQ(rowsOf("a b , c d", trimmed()), (Rows{{"a b", "c d"}}));
    // Non-ASCII whitespace: ideographic and no-break spaces.
    EXPECT_EQ(rowsOf("\u3000a\u00A0,\tb\u2003", trimmed()), (Rows{{"a", "b"}}));
    // Line breaks are not whitespace.
    EXPECT_EQ(rowsOf(" \n ", trimmed()), (Rows{{""}, {""}}));
}

TEST(CSVReaderRows, OtherDelimiters) {
    CSVReader::Configuration tabs = trimmed();
    tabs.delimiter = U'\t';
    EXPECT_EQ(rowsOf(" a \t b\t\tc ", tabs), (Rows{{"a", "b", "", "c"}}));
    EXPECT_FALSE(CSVReader("", tabs).configuration().whitespaces.contains(U'\t'));

    CSVReader::Configuration semicolons;
    semicolons.delimiter = U';';
    EXPECT_EQ(rowsOf("a,b;\"c;d\"", semicolons), (Rows{{"a,b", "c;d"}}));

    CSVReader::Configuration section;
    section.delimiter = U'\u00A7';
    EXPECT_EQ(rowsOf("\u00E9\u00A7\u65E5\u00A7\"\u00A7\"", section),
              (Rows{{"\u00E9", "\u65E5", "\u00A7"}}));
}

TEST(CSVReaderRows, IteratorInputUsesConfigurationAsGiven) {
    CSVReader::Configuration tabs = trimmed();
    tabs.delimiter = U'\t';
    // The delimiter stays a whitespace here, so the empty field's tab is trimmed away.
    CSVReader reader(ScalarList{U"a\t\tb\n\u00E9\"x\"\"\""}, tabs);
    EXPECT_EQ(readRows(reader), (Rows{{"a", "b"}, {"\u00E9\"x\"\"\""}}));
}

TEST(CSVReaderRows, EndAndCurrentRow) {
    CSVReader reader("a\nb");
    EXPECT_EQ(reader.currentRow(), nullptr);
    const Row* first = reader.next();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(*first, (Row{"a"}));
    EXPECT_EQ(reader.currentRow(), first);
    ASSERT_NE(reader.next(), nullptr);
    EXPECT_EQ(*reader.currentRow(), (Row{"b"}));
    EXPECT_EQ(reader.next(), nullptr);
    EXPECT_EQ(reader.currentRow(), nullptr);
    EXPECT_EQ(reader.next(), nullptr);
    EXPECT_FALSE(reader.error());
}

TEST(CSVReaderRows, ShorterRowAfterLongerOne) {
    // Field storage is reused between rows; a shorter row must not keep old fields.
    EXPECT_EQ(
        rowsOf("aaaaaaaaaaaaaaaaaaaaaaaa,bbbbbbbbbbbbbbbbbbbbbbbbbbbb,c\nd\n\"e\"\n"),
        (Rows{{"aaaaaaaaaaaaaaaaaaaaaaaa", "bbbbbbbbbbbbbbbbbbbbbbbbbbbb", "c"}, {"d"}, {"e"}}));
}

TEST(CSVReaderRows, IllFormedTextEndsRowsWithError) {
    CSVReader reader(std::string("a,b\xFF"
                                 "c,d\ne,f"));
    EXPECT_EQ(readRows(reader), (Rows{{"a", "b"}}));
    ASSERT_TRUE(reader.error());
    EXPECT_EQ(reader.error()->kind(), CSVError::Kind::unicodeDecoding);
    EXPECT_EQ(reader.next(), nullptr);

    CSVReader truncated(std::string("\"x\xE2\x82"));
    EXPECT_EQ(readRows(truncated), (Rows{{"x"}}));
    ASSERT_TRUE(truncated.error());
    EXPECT_EQ(truncated.error()->kind(), CSVError::Kind::unicodeDecoding);
}

TEST(CSVReaderDefaults, WhitespacesAndDefaults) {
    const auto& spaces = CSVReader::defaultWhitespaces();
    for (const char32_t c : {U'\t', U' ', U'\u00A0', U'\u1680', U'\u2000', U'\u200A', U'\u202F',
                             U'\u205F', U'\u3000'}) {
        EXPECT_TRUE(spaces.contains(c)) << static_cast<unsigned>(c);
    }
    for (const char32_t c : {U'\n', U'\r', U'\v', U'\f', U'\u0085', U'\u2028', U'\u200B', U'a'}) {
        EXPECT_FALSE(spaces.contains(c)) << static_cast<unsigned>(c);
    }
    const CSVReader::Configuration defaults;
    EXPECT_FALSE(defaults.hasHeaderRow);
    EXPECT_FALSE(defaults.trimFields);
    EXPECT_EQ(defaults.delimiter, U',');
    EXPECT_EQ(defaults.whitespaces, spaces);
}

} // namespace
} // namespace csv::test
