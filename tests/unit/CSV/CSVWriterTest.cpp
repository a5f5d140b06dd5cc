// The writer's row separation, quoting, encodings and failures.
#include "CSV/CSVWriter.h"
#include "CSV/MemoryStreams.h"
#include "FakeStreams.h"
#include "Printers.h"

#include <gtest/gtest.h>

namespace csv::test {
namespace {

using namespace std::string_literals;
using Rows = std::vector<std::vector<std::string>>;

std::string written(const Rows& rows, std::string delimiter = ",",
                    CSVWriter::Newline newline = CSVWriter::Newline::lf) {
    auto stream = std::make_shared<MemoryOutputStream>();
    CSVWriter writer(stream, std::move(delimiter), newline);
    for (const auto& row : rows) {
        writer.writeRow(row);
    }
    return stream->data();
}

CSVError::Kind failure(const std::function<void()>& action) {
    try {
        action();
    } catch (const CSVError& error) {
        return error.kind();
    }
    ADD_FAILURE() << "no failure";
    return CSVError::Kind::streamErrorHasOccurred;
}

TEST(CSVWriterRows, LazyRowSeparation) {
    EXPECT_EQ(written({{"a", "b"}, {"c", "d"}}), "a,b\nc,d");
    EXPECT_EQ(written({{"a", "b"}, {"c", "d"}}, ",", CSVWriter::Newline::crlf), "a,b\r\nc,d");
    EXPECT_EQ(written({{"", "x", ""}}), ",x,");
    EXPECT_EQ(written({{"a"}, {""}, {"b"}}), "a\n\nb");
    // A row without fields writes nothing, not even a line end.
    EXPECT_EQ(written({{}, {"a"}, {}, {}, {"b"}, {}}), "a\nb");
    EXPECT_EQ(written({}), "");

    auto stream = std::make_shared<MemoryOutputStream>();
    CSVWriter writer(stream);
    writer.writeField("a");
    writer.writeField("b");
    writer.beginNewRow();
    writer.beginNewRow();
    writer.writeField("c");
    EXPECT_EQ(stream->data(), "a,b\nc");
}

TEST(CSVWriterRows, Quoting) {
    EXPECT_EQ(written({{"x,y", "z"}}), "\"x,y\",z");
    EXPECT_EQ(written({{"say \"hi\""}}), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(written({{"\""}}), "\"\"\"\"");
    EXPECT_EQ(written({{"a\nb", "c\rd"}}), "\"a\nb\",\"c\rd\"");
    EXPECT_EQ(written({{" a ", "\u00E9"}}), " a ,\u00E9");
    EXPECT_EQ(written({{"x;;y", "x;y", ","}}, ";;"), "\"x;;y\";;x;y;;,");

    auto stream = std::make_shared<MemoryOutputStream>();
    CSVWriter writer(stream);
    writer.writeRow({"a", "b", "c"}, [](std::size_t i) { return i != 1; });
    writer.writeField("", true);
    EXPECT_EQ(stream->data(), "\"a\",b,\"c\",\"\"");
}

TEST(CSVWriterEncodings, OneWriteCallPerCodeUnitWithoutMark) {
    const auto calls = [](auto makeWriter) {
        auto stream = std::make_shared<RecordingOutputStream>();
        auto writer = makeWriter(stream);
        writer->writeField("\u00E9");
        return stream->calls;
    };
    using Calls = std::vector<std::string>;
    EXPECT_EQ(calls([](auto s) { return std::make_unique<CSVWriter>(s); }),
              (Calls{"\xC3", "\xA9"}));
    EXPECT_EQ(calls([](auto s) { return std::make_unique<CSVWriter>(s, UTF16{}, Endian::big); }),
              (Calls{"\0\xE9"s}));
    EXPECT_EQ(calls([](auto s) { return std::make_unique<CSVWriter>(s, UTF16{}, Endian::little); }),
              (Calls{"\xE9\0"s}));
    EXPECT_EQ(
        calls([](auto s) { return std::make_unique<CSVWriter>(s, UTF16{}, Endian::unknown); }),
        (Calls{"\xE9\0"s}));
    EXPECT_EQ(calls([](auto s) { return std::make_unique<CSVWriter>(s, UTF32{}, Endian::big); }),
              (Calls{"\0\0\0\xE9"s}));
    EXPECT_EQ(calls([](auto s) { return std::make_unique<CSVWriter>(s, UTF16{}); }),
              (Calls{"\0\xE9"s}));

    auto stream = std::make_shared<RecordingOutputStream>();
    CSVWriter utf16(stream, UTF16{}, Endian::little, ";", CSVWriter::Newline::crlf);
    utf16.writeRow({"\U0001F600", "a"});
    utf16.writeRow({"b"});
    EXPECT_EQ(stream->data, "\x3D\xD8\x00\xDE;\0a\0\r\0\n\0b\0"s);
    EXPECT_EQ(stream->calls.size(), 7u);
}

TEST(CSVWriterStreams, OpeningAndClosing) {
    auto stream = std::make_shared<RecordingOutputStream>();
    stream->open();
    {
        CSVWriter writer(stream);
        EXPECT_EQ(stream->openCalls, 1);
        EXPECT_EQ(writer.stream(), stream);
        EXPECT_EQ(writer.configuration().newline, "\n");
    }
    EXPECT_EQ(stream->closeCalls, 1);

    auto closedEarly = std::make_shared<RecordingOutputStream>();
    {
        CSVWriter writer(closedEarly);
        writer.stream()->close();
    }
    EXPECT_EQ(closedEarly->closeCalls, 1);

    auto refusing = std::make_shared<RecordingOutputStream>();
    refusing->statusAfterOpen = StreamStatus::error;
    EXPECT_EQ(failure([&] { CSVWriter writer(refusing); }), CSVError::Kind::cannotOpenFile);
    EXPECT_EQ(failure([] { CSVWriter writer(std::make_shared<MemoryOutputStream>(), "\xFF"); }),
              CSVError::Kind::unicodeDecoding);
}

TEST(CSVWriterFailures, ShortWritesFailAfterTheScalar) {
    auto stream = std::make_shared<RecordingOutputStream>();
    CSVWriter writer(stream);
    stream->answer = [](const std::string& call) { return call == "\xC3" ? 0 : 1; };
    EXPECT_EQ(failure([&] { writer.writeField("\u00E9x"); }), CSVError::Kind::cannotWriteStream);
    // The rest of the scalar was still handed over; the next scalar was not.
    EXPECT_EQ(stream->calls, (std::vector<std::string>{"\xC3", "\xA9"}));

    // The flags moved on: the next field is separated by the delimiter.
    stream->answer = nullptr;
    writer.writeField("y");
    EXPECT_EQ(stream->data, "\xA9,y");

    auto wide = std::make_shared<RecordingOutputStream>();
    CSVWriter utf16(wide, UTF16{}, Endian::big);
    wide->answer = [](const std::string&) { return 1; };
    EXPECT_EQ(failure([&] { utf16.writeField("\U0001F600z"); }), CSVError::Kind::cannotWriteStream);
    EXPECT_EQ(wide->calls.size(), 2u);

    auto greedy = std::make_shared<RecordingOutputStream>();
    greedy->answer = [](const std::string& call) {
        return static_cast<std::ptrdiff_t>(call.size() + 1);
    };
    CSVWriter claimingMore(greedy);
    EXPECT_EQ(failure([&] {
                  claimingMore.writeRow({"a", "b"});
              }),
              CSVError::Kind::cannotWriteStream);
    EXPECT_EQ(greedy->calls, (std::vector<std::string>{"a"}));

    auto closed = std::make_shared<MemoryOutputStream>();
    CSVWriter afterClose(closed);
    closed->close();
    EXPECT_EQ(failure([&] { afterClose.writeField("a"); }), CSVError::Kind::cannotWriteStream);
}

TEST(CSVWriterFailures, IllFormedFieldWritesNothing) {
    auto stream = std::make_shared<MemoryOutputStream>();
    CSVWriter writer(stream);
    writer.writeField("a");
    EXPECT_EQ(failure([&] { writer.writeField("\xED\xA0\x80"); }), CSVError::Kind::unicodeDecoding);
    writer.beginNewRow();
    writer.writeField("b");
    EXPECT_EQ(stream->data(), "a\nb");
}

} // namespace
} // namespace csv::test
