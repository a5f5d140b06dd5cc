// Input and output in every encoding and byte order: byte-order marks, buffer boundaries, round
// trips through the writer, and input that ends in an error.
#include "CSV/CSVWriter.h"
#include "CSV/FileStreams.h"
#include "CSVTestSupport.h"
#include "FakeStreams.h"

#include <gtest/gtest.h>

namespace csv::test {
namespace {

using namespace std::string_literals;
using enum CSVError::Kind;

// Text as bytes in one encoding form and byte order, behind an optional byte-order mark, with
// the reader for them (told the order, or left to find it in the mark) and the writer.
struct Encoding {
    std::string name;
    std::string mark;
    std::function<std::string(std::string_view utf8)> encode;
    std::function<std::unique_ptr<CSVReader>(std::string bytes, const Configuration&)> reader;
    std::function<std::unique_ptr<CSVWriter>(std::shared_ptr<OutputStream>, const std::string&,
                                             CSVWriter::Newline)>
        writer;

    std::string bytes(std::string_view utf8) const { return mark + encode(utf8); }
};

void PrintTo(const Encoding& encoding, std::ostream* os) {
    *os << encoding.name;
}

template <class Codec>
Encoding encoding(std::string name, Endian written, Endian told, std::string mark = {}) {
    return {std::move(name), std::move(mark),
            [=](std::string_view utf8) { return encoded<Codec>(utf8, written); },
            [=](std::string bytes, const Configuration& configuration) {
                if constexpr (ByteCodec<Codec>) {
                    return std::make_unique<CSVReader>(memory(bytes), Codec{}, configuration);
                } else {
                    return std::make_unique<CSVReader>(memory(bytes), Codec{}, told, configuration);
                }
            },
            [=](auto out, const std::string& delimiter, CSVWriter::Newline newline) {
                if constexpr (ByteCodec<Codec>) {
                    return std::make_unique<CSVWriter>(out, Codec{}, delimiter, newline);
                } else {
                    return std::make_unique<CSVWriter>(out, Codec{}, written, delimiter, newline);
                }
            }};
}

// UTF-8 text in memory rather than in a stream.
Encoding text() {
    Encoding utf8 = encoding<UTF8>("Text", Endian::unknown, Endian::unknown);
    utf8.reader = [](std::string bytes, const Configuration& configuration) {
        return std::make_unique<CSVReader>(std::move(bytes), configuration);
    };
    return utf8;
}

const Encoding textInput = text();
const Encoding utf8 = encoding<UTF8>("UTF8", Endian::unknown, Endian::unknown);
const Encoding utf16BE = encoding<UTF16>("UTF16BE", Endian::big, Endian::big);
const Encoding utf16LE = encoding<UTF16>("UTF16LE", Endian::little, Endian::little);
const Encoding utf32BE = encoding<UTF32>("UTF32BE", Endian::big, Endian::big);
const Encoding utf32LE = encoding<UTF32>("UTF32LE", Endian::little, Endian::little);
const Encoding encodings[] = {
    textInput,
    utf8,
    utf16BE,
    utf16LE,
    utf32BE,
    utf32LE,
    encoding<UTF8>("UTF8Marked", Endian::unknown, Endian::unknown, "\xEF\xBB\xBF"),
    encoding<UTF16>("UTF16BEFoundByMark", Endian::big, Endian::unknown, "\xFE\xFF"),
    encoding<UTF16>("UTF16LEMarkedAsTold", Endian::little, Endian::little, "\xFF\xFE"),
    encoding<UTF32>("UTF32BEFoundByMark", Endian::big, Endian::unknown, "\0\0\xFE\xFF"s),
    encoding<UTF32>("UTF32LEFoundByMark", Endian::little, Endian::unknown, "\xFF\xFE\0\0"s)};

class CSVEncodings : public testing::TestWithParam<Encoding> {
protected:
    Rows read(const std::string& bytes, const Configuration& configuration = {}) const {
        const auto reader = GetParam().reader(bytes, configuration);
        Rows rows = readRows(*reader);
        EXPECT_FALSE(reader->error()) << reader->error()->what();
        return rows;
    }
};

TEST_P(CSVEncodings, SampleAndHeaderRead) {
    const std::string sample =
        "id,text\r\n1,\"caf\u00E9, \"\"ok\"\"\n\U0001F600\"\n2,\u65E5\u672C\r3";
    EXPECT_EQ(
        read(GetParam().bytes(sample)),
        (Rows{
            {"id", "text"}, {"1", "caf\u00E9, \"ok\"\n\U0001F600"}, {"2", "\u65E5\u672C"}, {"3"}}));
    // A mark is not part of the header's first name.
    EXPECT_EQ(GetParam().reader(GetParam().bytes(sample), {.hasHeaderRow = true})->headerRow(),
              (Row{"id", "text"}));
    // A delimiter outside ASCII, on the fast path.
    EXPECT_EQ(read(GetParam().bytes("\u00E9\u00A7\u00A8\u00A7\"\u00A7\"\u00A7x,y\n"),
                   {.delimiter = U'\u00A7'}),
              (Rows{{"\u00E9", "\u00A8", "\u00A7", "x,y"}}));
}

// A text with no byte-order mark of its own in any encoding, three buffers long.
std::string randomText(unsigned seed) {
    RandomText random(seed);
    std::string text = "x";
    while (text.size() < 3 * CSVReader::bufferSize) {
        text += random.field(40);
    }
    return text;
}

const Configuration trimmed{.trimFields = true};

TEST_P(CSVEncodings, BufferBoundariesChangeNothing) {
    const std::string text = randomText(7);
    for (const Configuration& configuration : {Configuration{}, trimmed}) {
        // The parser without its fast path reads the same.
        CSVReader slow(ScalarList{scalarsOf(text)}, configuration);
        const Rows expected = readRows(slow);
        ASSERT_GT(expected.size(), 1000u);
        EXPECT_EQ(read(GetParam().bytes(text), configuration), expected);
    }
}

TEST_P(CSVEncodings, RandomRowsWriteAndReadBack) {
    RandomText random(1);
    Rows rows(300);
    for (Row& row : rows) {
        row = random.row(6, 12);
    }
    // A last row of one empty field is written as nothing at all (no line end follows it).
    rows.back() = {"last"};
    for (const auto& [delimiter, scalar] :
         {std::pair{","s, U','}, std::pair{"\t"s, U'\t'}, std::pair{"\u00A7"s, U'\u00A7'}}) {
        for (const auto newline : {CSVWriter::Newline::lf, CSVWriter::Newline::crlf}) {
            auto out = std::make_shared<MemoryOutputStream>();
            const auto writer = GetParam().writer(out, delimiter, newline);
            for (std::size_t i = 0; i < rows.size(); ++i) {
                // Forced quotes on some fields must read back the same.
                writer->writeRow(rows[i], [i](std::size_t field) { return (i + field) % 7 == 0; });
            }
            EXPECT_EQ(read(GetParam().mark + out->data(), {.delimiter = scalar}), rows);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(All, CSVEncodings, testing::ValuesIn(encodings),
                         [](const auto& param) { return param.param.name; });

TEST(CSVReaderStream, ReadsInPiecesSplitEverySequence) {
    const std::string text = randomText(8);
    for (const Configuration& configuration : {Configuration{}, trimmed}) {
        auto trickle = std::make_shared<ScriptedInputStream>();
        for (std::size_t at = 0, step = 1; at < text.size(); at += step, step = step % 13 + 1) {
            trickle->addChunk(text.substr(at, step));
        }
        CSVReader pieces(trickle, configuration);
        EXPECT_EQ(readRows(pieces), rowsOf(text, configuration));
        EXPECT_FALSE(pieces.error());
    }
}

struct BrokenCase {
    const Encoding& encoding;
    std::string text;
    std::string tail; // raw bytes after the encoded text
    Rows rows;
    CSVError::Kind error;
};

void PrintTo(const BrokenCase& c, std::ostream* os) {
    *os << c.encoding.name << ' ' << testing::PrintToString(c.text + c.tail);
}

class CSVReaderBroken : public testing::TestWithParam<BrokenCase> {};

TEST_P(CSVReaderBroken, RowsEndAtTheErrorForGood) {
    const BrokenCase& c = GetParam();
    const auto reader = c.encoding.reader(c.encoding.bytes(c.text) + c.tail, {});
    EXPECT_EQ(readRows(*reader), c.rows);
    EXPECT_EQ(reader->error(), CSVError(c.error));
    EXPECT_EQ(reader->next(), nullptr);
}

const Encoding utf16Unordered = encoding<UTF16>("UTF16", Endian::big, Endian::unknown);

INSTANTIATE_TEST_SUITE_P(
    All, CSVReaderBroken,
    testing::Values(
        BrokenCase{textInput,
                   "a,b",
                   "\xFF"
                   "c,d\ne,f",
                   {{"a", "b"}},
                   unicodeDecoding},
        BrokenCase{textInput, "\"x", "\xE2\x82", {{"x"}}, unicodeDecoding},
        BrokenCase{utf8, "a\n\"b", "\xC0\x80\"\nc", {{"a"}, {"b"}}, unicodeDecoding},
        BrokenCase{utf16BE, "a,b\nc", "\0"s, {{"a", "b"}, {"c"}}, stringEncodingMismatch},
        BrokenCase{utf32LE, "x", "\0\0"s, {{"x"}}, stringEncodingMismatch},
        // Cut inside a surrogate pair: the decoder's report comes last and is the one kept.
        BrokenCase{utf16BE, "x", "\xD8\x3D\xDE", {{"x"}}, unicodeDecoding},
        BrokenCase{utf16LE,
                   "a\nb",
                   "\x00\xDC"s + encoded<UTF16>("c\nd", Endian::little),
                   {{"a"}, {"b"}},
                   unicodeDecoding},
        BrokenCase{utf32BE, "a", "\0\x11\0\0"s, {{"a"}}, unicodeDecoding},
        // No mark and no order told: the first unit cannot be assembled.
        BrokenCase{utf16Unordered, "a,b", "", {}, stringEndianMismatch}));

TEST(CSVReaderStream, ReadFailuresEndTheRowsForGood) {
    auto stream = std::make_shared<ScriptedInputStream>();
    stream->addChunk("a,b\nc,");
    stream->addFailure(std::make_error_code(std::errc::io_error));
    stream->addChunk("d\ne\n");
    CSVReader reader(stream);
    EXPECT_EQ(readRows(reader), (Rows{{"a", "b"}, {"c", ""}}));
    EXPECT_EQ(reader.error(),
              CSVError::streamErrorHasOccurred(std::make_error_code(std::errc::io_error)));
    EXPECT_EQ(reader.next(), nullptr);

    auto silent = std::make_shared<ScriptedInputStream>();
    silent->addChunk("a");
    silent->addFailure();
    CSVReader silentReader(silent);
    readRows(silentReader);
    EXPECT_EQ(silentReader.error(), CSVError(cannotReadFile));
}

// Latin-1: a codec outside the standard three, on the slow path.
struct Latin1 {
    using CodeUnit = std::uint8_t;
    struct Decoder {
        template <class Input> DecodeResult decode(Input& input) {
            const auto unit = input.next();
            return unit ? DecodeResult::of(*unit) : DecodeResult::empty();
        }
    };
    template <class Sink> static void encode(char32_t scalar, Sink&& sink) {
        sink(static_cast<CodeUnit>(scalar));
    }
};

TEST(CSVReaderStream, OtherByteCodec) {
    CSVReader reader(memory("caf\xE9,\"\xA7\"\n"), Latin1{});
    EXPECT_EQ(readRows(reader), (Rows{{"caf\u00E9", "\u00A7"}}));
}

TEST(CSVReaderStream, ConstructionFailuresAndClosing) {
    auto empty = memory("");
    EXPECT_EQ(kindThrown([&] { CSVReader(empty, {.hasHeaderRow = true}); }), cannotReadHeaderRow);
    EXPECT_EQ(empty->status(), StreamStatus::closed);
    EXPECT_EQ(
        kindThrown([] { CSVReader(std::make_shared<FileInputStream>("/nonexistent/x.csv")); }),
        cannotOpenFile);
    EXPECT_EQ(kindThrown([] { CSVReader(memory("\xFE\xFF\0a"s), UTF16{}, Endian::little); }),
              stringEndianMismatch);
}

} // namespace
} // namespace csv::test
