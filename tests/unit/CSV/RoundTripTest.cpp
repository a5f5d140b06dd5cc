// Writing random rows of random Unicode text and reading them back gives the same rows.
#include "CSV/CSVReader.h"
#include "CSV/CSVWriter.h"
#include "CSV/MemoryStreams.h"
#include "RandomText.h"
#include "ReaderSupport.h"

#include <gtest/gtest.h>

namespace csv::test {
namespace {

std::vector<Row> randomRows(unsigned seed) {
    RandomText random(seed);
    std::vector<Row> rows(300);
    for (Row& row : rows) {
        row = random.row(6, 12);
    }
    // A last row of one empty field is written as nothing at all (no line end follows it).
    if (rows.back() == Row{""}) {
        rows.back() = {"last"};
    }
    return rows;
}

template <class... Encoding>
std::string write(const std::vector<Row>& rows, CSVWriter::Newline newline, Encoding... encoding) {
    auto stream = std::make_shared<MemoryOutputStream>();
    CSVWriter writer(stream, encoding..., ",", newline);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        // Forced quotes on some fields must read back the same.
        writer.writeRow(rows[i], [i](std::size_t field) { return (i + field) % 7 == 0; });
    }
    return stream->data();
}

template <class... Encoding> std::vector<Row> read(std::string bytes, Encoding... encoding) {
    CSVReader reader(std::make_shared<MemoryInputStream>(std::move(bytes)), encoding...);
    std::vector<Row> rows = readRows(reader);
    EXPECT_FALSE(reader.error());
    return rows;
}

TEST(CSVRoundTrip, RandomRowsInEveryEncoding) {
    for (const unsigned seed : {1u, 2u, 3u}) {
        const std::vector<Row> rows = randomRows(seed);
        for (const auto newline : {CSVWriter::Newline::lf, CSVWriter::Newline::crlf}) {
            EXPECT_EQ(read(write(rows, newline)), rows);
            EXPECT_EQ(read(write(rows, newline, UTF16{}, Endian::little), UTF16{}, Endian::little),
                      rows);
            EXPECT_EQ(read(write(rows, newline, UTF16{}, Endian::big), UTF16{}, Endian::big), rows);
            EXPECT_EQ(read(write(rows, newline, UTF32{}, Endian::little), UTF32{}, Endian::little),
                      rows);
        }
    }
}

TEST(CSVRoundTrip, OtherDelimiters) {
    const std::vector<Row> rows = randomRows(4);
    for (const auto& [text, scalar] : {std::pair{"\t", U'\t'}, std::pair{"\u00A7", U'\u00A7'}}) {
        auto stream = std::make_shared<MemoryOutputStream>();
        CSVWriter writer(stream, text);
        for (const Row& row : rows) {
            writer.writeRow(row);
        }
        CSVReader::Configuration configuration;
        configuration.delimiter = scalar;
        CSVReader reader(stream->data(), configuration);
        EXPECT_EQ(readRows(reader), rows);
    }
}

} // namespace
} // namespace csv::test
