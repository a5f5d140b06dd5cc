// The writer's row separation, quoting, code-unit writes and failures.
#include "CSV/CSVWriter.h"
#include "CSVTestSupport.h"
#include "FakeStreams.h"

#include <gtest/gtest.h>

namespace csv::test {
namespace {

using namespace std::string_literals;
using enum CSVError::Kind;

std::string written(const Rows& rows, std::string delimiter = ",",
                    CSVWriter::Newline newline = CSVWriter::Newline::lf) {
    auto stream = std::make_shared<MemoryOutputStream>();
    CSVWriter writer(stream, std::move(delimiter), newline);
    std::ranges::for_each(rows, [&](const Row& row) { writer.writeRow(row); });
    return stream->data();
}

TEST(CSVWriter, RowsAreSeparatedLazilyAndFieldsQuotedWhenNeeded) {
    EXPECT_EQ(written({{"a", "b"}, {"c", "d"}}), "a,b\nc,d");
    EXPECT_EQ(written({{"a", "b"}, {"c", "d"}}, ",", CSVWriter::Newline::crlf), "a,b\r\nc,d");
    EXPECT_EQ(written({{"", "x", ""}}), ",x,");
    EXPECT_EQ(written({{"a"}, {""}, {"b"}}), "a\n\nb");
    // A row without fields writes nothing, not even a line end.
    EXPECT_EQ(written({{}, {"a"}, {}, {}, {"b"}, {}}), "a\nb");

    EXPECT_EQ(written({{"x,y", "z", "say \"hi\"", "\""}}), "\"x,y\",z,\"say \"\"hi\"\"\",\"\"\"\"");
    EXPECT_EQ(written({{"a\nb", "c\rd", " a ", "\u00E9"}}), "\"a\nb\",\"c\rd\", a ,\u00E9");
    EXPECT_EQ(written({{"x;;y", "x;y", ","}}, ";;"), "\"x;;y\";;x;y;;,");
    // A delimiter of several characters is searched for apart from the rest: a quote, CR and
    // LF must still make a field quoted.
    EXPECT_EQ(written({{"a\rb", "c\nd", "e\"f", "g"}}, ";;"), "\"a\rb\";;\"c\nd\";;\"e\"\"f\";;g");

    // Field by field: forced quotes, an ill-formed field that writes nothing (not even its
    // delimiter), and a new row begun twice.
    auto stream = std::make_shared<MemoryOutputStream>();
    CSVWriter writer(stream);
    writer.writeRow({"a", "b", "c"}, [](std::size_t i) { return i != 1; });
    writer.writeField("", true);
    EXPECT_EQ(kindThrown([&] { writer.writeField("\xED\xA0\x80"); }), unicodeDecoding);
    writer.beginNewRow();
    writer.beginNewRow();
    writer.writeField("c");
    EXPECT_EQ(stream->data(), "\"a\",b,\"c\",\"\"\nc");
}

TEST(CSVWriter, OpeningAndClosingTheStream) {
    auto stream = std::make_shared<RecordingOutputStream>();
    stream->open();
    {
        const CSVWriter writer(stream);
        EXPECT_EQ(std::tuple(stream->openCalls, writer.stream(), writer.configuration().newline),
                  std::tuple(1, stream, "\n"));
    }
    EXPECT_EQ(stream->closeCalls, 1);

    auto closedEarly = std::make_shared<RecordingOutputStream>();
    CSVWriter(closedEarly).stream()->close();
    EXPECT_EQ(closedEarly->closeCalls, 1);

    auto refusing = std::make_shared<RecordingOutputStream>();
    refusing->statusAfterOpen = StreamStatus::error;
    EXPECT_EQ(kindThrown([&] { CSVWriter{refusing}; }), cannotOpenFile);
    EXPECT_EQ(kindThrown([] { CSVWriter(std::make_shared<MemoryOutputStream>(), "\xFF"); }),
              unicodeDecoding);
}

TEST(CSVWriter, ShortWritesFailAfterTheScalarAndTheFlagsMoveOn) {
    auto stream = std::make_shared<RecordingOutputStream>();
    CSVWriter writer(stream);
    stream->answer = [](const std::string& call) { return call == "\xC3" ? 0 : 1; };
    EXPECT_EQ(kindThrown([&] { writer.writeField("\u00E9x"); }), cannotWriteStream);
    // The rest of the scalar was still handed over; the next scalar was not.
    EXPECT_EQ(stream->calls, (std::vector<std::string>{"\xC3", "\xA9"}));
    stream->answer = nullptr;
    writer.writeField("y");
    EXPECT_EQ(stream->data, "\xA9,y");

    // Wide units go big-endian unless told otherwise, one call each.
    auto wide = std::make_shared<RecordingOutputStream>();
    CSVWriter utf16(wide, UTF16{});
    wide->answer = [](const std::string&) { return 1; };
    EXPECT_EQ(kindThrown([&] { utf16.writeField("\U0001F600z"); }), cannotWriteStream);
    EXPECT_EQ(wide->calls, (std::vector<std::string>{"\xD8\x3D", "\xDE\0"s}));
    auto unordered = std::make_shared<MemoryOutputStream>();
    CSVWriter(unordered, UTF16{}, Endian::unknown).writeField("\u00E9");
    EXPECT_EQ(unordered->data(), "\xE9\0"s);

    auto greedy = std::make_shared<RecordingOutputStream>();
    greedy->answer = [](const std::string& call) { return std::ssize(call) + 1; };
    CSVWriter claimingMore(greedy);
    EXPECT_EQ(kindThrown([&] { claimingMore.writeRow({"a", "b"}); }), cannotWriteStream);
    EXPECT_EQ(greedy->calls, (std::vector<std::string>{"a"}));

    auto closed = std::make_shared<MemoryOutputStream>();
    CSVWriter afterClose(closed);
    closed->close();
    EXPECT_EQ(kindThrown([&] { afterClose.writeField("a"); }), cannotWriteStream);
}

} // namespace
} // namespace csv::test
