// Header rows and the subscript by header name.
#include "Printers.h"
#include "ReaderSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace csv::test {
namespace {

CSVReader::Configuration withHeader() {
    CSVReader::Configuration configuration;
    configuration.hasHeaderRow = true;
    return configuration;
}

std::string logicErrorOf(const CSVReader& reader, std::string_view name) {
    try {
        (void)reader[name];
    } catch (const std::logic_error& error) {
        return error.what();
    }
    return "no error";
}

TEST(CSVReaderHeader, HeaderRowAndLookup) {
    CSVReader reader("id,name\n1,x\n2", withHeader());
    EXPECT_EQ(reader.headerRow(), (Row{"id", "name"}));
    EXPECT_EQ(reader.currentRow(), nullptr);
    ASSERT_NE(reader.next(), nullptr);
    EXPECT_EQ(*reader.currentRow(), (Row{"1", "x"}));
    EXPECT_EQ(reader["name"], "x");
    EXPECT_EQ(reader["id"], "1");
    EXPECT_EQ(reader["other"], std::nullopt);
    ASSERT_NE(reader.next(), nullptr);
    EXPECT_EQ(reader["id"], "2");
    EXPECT_EQ(reader["name"], std::nullopt);
    EXPECT_EQ(reader.next(), nullptr);
    EXPECT_EQ(reader.headerRow(), (Row{"id", "name"}));
}

TEST(CSVReaderHeader, ShortRowsAndDuplicateNames) {
    CSVReader reader("a,b,c,b\n1,2", withHeader());
    reader.next();
    EXPECT_EQ(reader["c"], std::nullopt);
    EXPECT_EQ(reader["b"], "2");

    CSVReader duplicates("k,k\nfirst,second", withHeader());
    duplicates.next();
    EXPECT_EQ(duplicates["k"], "first");
}

TEST(CSVReaderHeader, CanonicallyEquivalentNames) {
    // Composed and decomposed forms, and the angstrom sign, are the same text.
    CSVReader reader("caf\u00E9,e\u0301t\u00E9,\u212B,\uFB01\n1,2,3,4", withHeader());
    reader.next();
    EXPECT_EQ(reader["cafe\u0301"], "1");
    EXPECT_EQ(reader["\u00E9te\u0301"], "2");
    EXPECT_EQ(reader["\u00C5"], "3");
    EXPECT_EQ(reader["A\u030A"], "3");
    // Compatibility forms are not canonical equivalents: the ligature is not "fi".
    EXPECT_EQ(reader["fi"], std::nullopt);
    EXPECT_EQ(reader["\uFB01"], "4");
    EXPECT_EQ(reader[std::string("caf\xC3")], std::nullopt);
}

TEST(CSVReaderHeader, Preconditions) {
    CSVReader plain("a,b");
    plain.next();
    EXPECT_EQ(logicErrorOf(plain, "a"), "CSVReader.headerRow must not be nil");

    CSVReader reader("a,b\n1,2", withHeader());
    EXPECT_EQ(logicErrorOf(reader, "a"), "CSVReader.currentRow must not be nil");
    // An unknown name answers nothing before the current row is looked at.
    EXPECT_EQ(reader["zzz"], std::nullopt);
    reader.next();
    EXPECT_EQ(reader["a"], "1");
    reader.next();
    EXPECT_EQ(logicErrorOf(reader, "a"), "CSVReader.currentRow must not be nil");
}

TEST(CSVReaderHeader, MissingHeaderRow) {
    try {
        CSVReader reader("", withHeader());
        ADD_FAILURE() << "constructed";
    } catch (const CSVError& error) {
        EXPECT_EQ(error.kind(), CSVError::Kind::cannotReadHeaderRow);
    }
    CSVReader onlyHeader("a,b\n", withHeader());
    EXPECT_EQ(onlyHeader.headerRow(), (Row{"a", "b"}));
    EXPECT_EQ(onlyHeader.next(), nullptr);
}

TEST(CSVReaderHeader, ErrorInTheHeaderRowIsKept) {
    CSVReader reader(std::string("a,\xFF\n1,2"), withHeader());
    EXPECT_EQ(reader.headerRow(), (Row{"a", ""}));
    ASSERT_TRUE(reader.error());
    EXPECT_EQ(reader.error()->kind(), CSVError::Kind::unicodeDecoding);
    EXPECT_EQ(reader.next(), nullptr);
}

} // namespace
} // namespace csv::test
