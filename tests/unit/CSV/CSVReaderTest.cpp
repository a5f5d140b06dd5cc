// The parser's state table, row ends, quoting, kept fields and header rows, on text input.
#include "CSVTestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace csv::test {
namespace {

struct ReadCase {
    std::string input;
    Rows rows;
    Configuration configuration = {};
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << testing::PrintToString(c.input.substr(0, 40));
}

class CSVReaderRows : public testing::TestWithParam<ReadCase> {};

TEST_P(CSVReaderRows, ReadTheSameWithAndWithoutTheFastPath) {
    const ReadCase& c = GetParam();
    EXPECT_EQ(rowsOf(c.input, c.configuration), c.rows);
    Configuration plain = c.configuration;
    plain.whitespaces.erase(plain.delimiter);
    CSVReader slow(ScalarList{scalarsOf(c.input)}, plain);
    EXPECT_EQ(readRows(slow), c.rows);
}

const Configuration trim{.trimFields = true};
const std::string longA(24, 'a');
const std::string longB(28, 'b');

INSTANTIATE_TEST_SUITE_P(
    RowEnds, CSVReaderRows,
    testing::Values(
        ReadCase{"a,b,c", {{"a", "b", "c"}}}, ReadCase{"a,b\n", {{"a", "b"}}},
        ReadCase{"a,b\n\nc", {{"a", "b"}, {""}, {"c"}}}, ReadCase{"a,\n", {{"a", ""}}},
        ReadCase{"a,", {{"a", ""}}}, ReadCase{",", {{"", ""}}}, ReadCase{"\n", {{""}}},
        ReadCase{"", {}}, ReadCase{"a\nbb,c\nd,e,f", {{"a"}, {"bb", "c"}, {"d", "e", "f"}}},
        ReadCase{"a\rb\r\nc", {{"a"}, {"b"}, {"c"}}}, ReadCase{"a\r", {{"a"}}},
        ReadCase{"a\r\n", {{"a"}}}, ReadCase{"a\r\rb", {{"a"}, {""}, {"b"}}},
        ReadCase{"a\r\n\r\nb", {{"a"}, {""}, {"b"}}}, ReadCase{"a\n\rb", {{"a"}, {""}, {"b"}}},
        ReadCase{"\"a\"\r\nb", {{"a"}, {"b"}}}, ReadCase{"\"a\"\rb", {{"a"}, {"b"}}},
        ReadCase{"\"a\"\nb", {{"a"}, {"b"}}}, ReadCase{"\"a\"\r", {{"a"}}},
        // The scalar after a lone CR begins the next row, even a quote.
        ReadCase{"a\r\"b,c\"", {{"a"}, {"b,c"}}},
        // Field storage is reused; a shorter row keeps none of the old fields.
        ReadCase{longA + "," + longB + ",c\nd\n\"e\"\n", {{longA, longB, "c"}, {"d"}, {"e"}}}));

INSTANTIATE_TEST_SUITE_P(
    Quotes, CSVReaderRows,
    testing::Values(
        ReadCase{"\"x,y\",z", {{"x,y", "z"}}}, ReadCase{"\"a\"\"b\"\"\"\"\"", {{"a\"b\"\""}}},
        ReadCase{"\"a\nb\",c\nd", {{"a\nb", "c"}, {"d"}}}, ReadCase{"\"a\r\nb\"", {{"a\r\nb"}}},
        ReadCase{"\"\"", {{""}}}, ReadCase{"\"\",\"\"", {{"", ""}}},
        ReadCase{"\"a\",", {{"a", ""}}}, ReadCase{"a,\"b\"", {{"a", "b"}}},
        ReadCase{"\"a\"\"", {{"a\""}}}, ReadCase{"\"abc,d\ne", {{"abc,d\ne"}}},
        ReadCase{"a\"b,c", {{"a\"b", "c"}}}, ReadCase{"ab\"c\"", {{"ab\"c\""}}},
        ReadCase{" \"a\",b", {{" \"a\"", "b"}}},
        // A quote that neither doubles nor ends the field stays, and so does what follows it.
        ReadCase{"\"He said \"hi\" there\"", {{"He said \"hi\" there"}}},
        ReadCase{"\"He said \"hi\" there\"", {{"He said \"hi\" there"}}, trim},
        ReadCase{"\"ab\"c\",d", {{"ab\"c", "d"}}}, ReadCase{"\"a\" x\",c", {{"a\" x", "c"}}},
        ReadCase{"\"a\" x\",c", {{"a\" x", "c"}}, trim},
        ReadCase{"\"a\"  \"b\"", {{"a\"  \"b"}}, trim}));

INSTANTIATE_TEST_SUITE_P(
    Trimming, CSVReaderRows,
    testing::Values(ReadCase{"  a  ,  \"b \"  ,c", {{"a", "b ", "c"}}, trim},
                    ReadCase{"  a  ,  \"b \"  ,c", {{"  a  ", "  \"b \"  ", "c"}}},
                    ReadCase{"  ,  ", {{"", ""}}, trim}, ReadCase{"a,   ", {{"a", ""}}, trim},
                    ReadCase{"\"a\"   ", {{"a"}}, trim},
                    ReadCase{"\"a\"  \nb", {{"a"}, {"b"}}, trim},
                    ReadCase{"\"a\" \r\nb", {{"a"}, {"b"}}, trim},
                    ReadCase{"a b , c d", {{"a b", "c d"}}, trim},
                    ReadCase{"\u3000a\u00A0,\tb\u2003", {{"a", "b"}}, trim},
                    // Tab and the space separators are whitespace; line breaks and others not.
                    ReadCase{"\u1680\u2000a\u200A\u202F\u205F", {{"a"}}, trim},
                    ReadCase{"\v\f\u0085\u2028\u200Ba", {{"\v\f\u0085\u2028\u200Ba"}}, trim},
                    ReadCase{" \n ", {{""}, {""}}, trim}));

INSTANTIATE_TEST_SUITE_P(Delimiters, CSVReaderRows,
                         testing::Values(ReadCase{" a \t b\t\tc ",
                                                  {{"a", "b", "", "c"}},
                                                  {.trimFields = true, .delimiter = U'\t'}},
                                         ReadCase{
                                             "a,b;\"c;d\"", {{"a,b", "c;d"}}, {.delimiter = U';'}},
                                         ReadCase{"\u00E9\u00A7\u65E5\u00A7\"\u00A7\"",
                                                  {{"\u00E9", "\u65E5", "\u00A7"}},
                                                  {.delimiter = U'\u00A7'}}));

// The fields after the kept ones are read, quotes and line breaks included, and dropped.
INSTANTIATE_TEST_SUITE_P(
    KeptFields, CSVReaderRows,
    testing::Values(
        ReadCase{",,,,\n,\na,b,c", {{""}, {""}, {"a"}}, {.maxFieldsKept = 1}},
        ReadCase{"a,\"x,\ny\",\"p\"\"\rq\",z\r\nnext", {{"a"}, {"next"}}, {.maxFieldsKept = 1}},
        ReadCase{" a , b , c \n d", {{"a", "b"}, {"d"}}, {.trimFields = true, .maxFieldsKept = 2}},
        ReadCase{"a,b\nc", {{}, {}}, {.maxFieldsKept = 0}},
        ReadCase{std::string(1'000'000, ',') + "\nx,y", {{""}, {"x"}}, {.maxFieldsKept = 1}}));

TEST(CSVReader, IteratorInputUsesTheConfigurationAsGiven) {
    // The delimiter stays a whitespace here, so the empty field's tab is trimmed away.
    CSVReader reader(ScalarList{U"a\t\tb\n\u00E9\"x\"\"\""},
                     {.trimFields = true, .delimiter = U'\t'});
    EXPECT_EQ(readRows(reader), (Rows{{"a", "b"}, {"\u00E9\"x\"\"\""}}));
    EXPECT_FALSE(CSVReader("", {.delimiter = U'\t'}).configuration().whitespaces.contains(U'\t'));
}

const Configuration header{.hasHeaderRow = true};

using Found = std::vector<std::optional<std::string>>;

// The field under each name in the current row, or the logic error that looking it up throws.
Found lookUp(const CSVReader& reader, std::initializer_list<std::string> names) {
    Found found;
    for (const std::string& name : names) {
        try {
            const auto field = reader[name];
            found.push_back(field ? std::optional<std::string>(*field) : std::nullopt);
        } catch (const std::logic_error& error) {
            found.push_back(error.what());
        }
    }
    return found;
}

TEST(CSVReaderHeader, LookupByTheFirstCanonicallyEqualName) {
    CSVReader reader("id,name,k,k,caf\u00E9,\u212B,\uFB01\n1,x,first,second,2,3,4\n5", header);
    EXPECT_EQ(reader.headerRow(), (Row{"id", "name", "k", "k", "caf\u00E9", "\u212B", "\uFB01"}));
    EXPECT_EQ(reader.currentRow(), nullptr);
    ASSERT_NE(reader.next(), nullptr);
    // Compatibility forms are not canonical equivalents: the ligature is not "fi".
    EXPECT_EQ(lookUp(reader, {"name", "other", "k", "cafe\u0301", "A\u030A", "fi", "caf\xC3"}),
              (Found{"x", std::nullopt, "first", "2", "3", std::nullopt, std::nullopt}));
    // A row shorter than the header.
    ASSERT_NE(reader.next(), nullptr);
    EXPECT_EQ(lookUp(reader, {"id", "name"}), (Found{"5", std::nullopt}));
}

TEST(CSVReaderHeader, Preconditions) {
    CSVReader plain("a,b");
    EXPECT_EQ(plain.currentRow(), nullptr);
    plain.next();
    EXPECT_EQ(lookUp(plain, {"a"}), Found{"CSVReader.headerRow must not be nil"});

    // An unknown name answers nothing before the current row is looked at.
    CSVReader reader("a,b\n1,2", header);
    EXPECT_EQ(lookUp(reader, {"a", "zzz"}),
              (Found{"CSVReader.currentRow must not be nil", std::nullopt}));
    reader.next();
    reader.next();
    EXPECT_EQ(lookUp(reader, {"a"}), Found{"CSVReader.currentRow must not be nil"});
}

TEST(CSVReaderHeader, MissingBrokenAndCutHeaderRows) {
    EXPECT_EQ(kindThrown([] { CSVReader("", header); }), CSVError::Kind::cannotReadHeaderRow);
    CSVReader onlyHeader("a,b\n", header);
    EXPECT_EQ(onlyHeader.headerRow(), (Row{"a", "b"}));
    EXPECT_EQ(onlyHeader.next(), nullptr);

    CSVReader broken(std::string("a,\xFF\n1,2"), header);
    EXPECT_EQ(broken.headerRow(), (Row{"a", ""}));
    EXPECT_EQ(broken.error(), CSVError(CSVError::Kind::unicodeDecoding));
    EXPECT_EQ(broken.next(), nullptr);

    CSVReader cut("a,b,c\n1,2,3", {.hasHeaderRow = true, .maxFieldsKept = 2});
    EXPECT_EQ(cut.headerRow(), (Row{"a", "b"}));
    cut.next();
    EXPECT_EQ(cut["c"], std::nullopt);
}

} // namespace
} // namespace csv::test
