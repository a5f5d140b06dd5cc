// Stream input: encodings, byte-order marks, buffer boundaries and input errors.
#include "CSV/FileStreams.h"
#include "CSV/MemoryStreams.h"
#include "FakeStreams.h"
#include "Printers.h"
#include "RandomText.h"
#include "ReaderSupport.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace csv::test {
namespace {

using namespace std::string_literals;
using Rows = std::vector<Row>;

std::shared_ptr<MemoryInputStream> memory(std::string bytes) {
    return std::make_shared<MemoryInputStream>(std::move(bytes));
}

const std::string sample = "id,text\r\n1,\"caf\u00E9, \"\"ok\"\"\n\U0001F600\"\n2,\u65E5\u672C\r3";
const Rows sampleRows{
    {"id", "text"}, {"1", "caf\u00E9, \"ok\"\n\U0001F600"}, {"2", "\u65E5\u672C"}, {"3"}};

template <class Codec> Rows wideRows(std::string bytes, Endian endian) {
    CSVReader reader(memory(std::move(bytes)), Codec{}, endian);
    Rows rows = readRows(reader);
    EXPECT_FALSE(reader.error()) << reader.error()->what();
    return rows;
}

TEST(CSVReaderStream, UTF8WithAndWithoutMark) {
    CSVReader plain(memory(sample));
    EXPECT_EQ(readRows(plain), sampleRows);
    CSVReader marked(memory("\xEF\xBB\xBF" + sample));
    EXPECT_EQ(readRows(marked), sampleRows);
    EXPECT_FALSE(marked.error());

    CSVReader::Configuration header;
    header.hasHeaderRow = true;
    CSVReader withHeader(memory("\xEF\xBB\xBFid,name\n7,x"), header);
    EXPECT_EQ(withHeader.headerRow(), (Row{"id", "name"}));
    withHeader.next();
    EXPECT_EQ(withHeader["id"], "7");
}

TEST(CSVReaderStream, UTF16AndUTF32InEveryByteOrder) {
    EXPECT_EQ(wideRows<UTF16>(encoded<UTF16>(sample, Endian::big), Endian::big), sampleRows);
    EXPECT_EQ(wideRows<UTF16>(encoded<UTF16>(sample, Endian::little), Endian::little), sampleRows);
    EXPECT_EQ(wideRows<UTF16>("\xFE\xFF" + encoded<UTF16>(sample, Endian::big), Endian::unknown),
              sampleRows);
    EXPECT_EQ(wideRows<UTF16>("\xFF\xFE" + encoded<UTF16>(sample, Endian::little), Endian::little),
              sampleRows);
    EXPECT_EQ(wideRows<UTF32>(encoded<UTF32>(sample, Endian::big), Endian::big), sampleRows);
    EXPECT_EQ(wideRows<UTF32>(encoded<UTF32>(sample, Endian::little), Endian::little), sampleRows);
    EXPECT_EQ(
        wideRows<UTF32>("\0\0\xFE\xFF"s + encoded<UTF32>(sample, Endian::big), Endian::unknown),
        sampleRows);
    EXPECT_EQ(
        wideRows<UTF32>("\xFF\xFE\0\0"s + encoded<UTF32>(sample, Endian::little), Endian::unknown),
        sampleRows);
}

TEST(CSVReaderStream, ByteOrderProblems) {
    // No mark and no order given: the first unit cannot be assembled.
    CSVReader unknown(memory(encoded<UTF16>("a,b", Endian::big)), UTF16{}, Endian::unknown);
    EXPECT_EQ(unknown.next(), nullptr);
    ASSERT_TRUE(unknown.error());
    EXPECT_EQ(unknown.error()->kind(), CSVError::Kind::stringEndianMismatch);

    try {
        CSVReader contradicting(memory("\xFE\xFF\0a"s), UTF16{}, Endian::little);
        ADD_FAILURE() << "constructed";
    } catch (const CSVError& error) {
        EXPECT_EQ(error.kind(), CSVError::Kind::stringEndianMismatch);
    }
}

struct Outcome {
    Rows rows;
    std::optional<CSVError> error;
};

template <class... Encoding>
Outcome readAll(std::shared_ptr<InputStream> stream, Encoding... encoding) {
    CSVReader reader(std::move(stream), encoding...);
    Outcome outcome{readRows(reader), reader.error()};
    EXPECT_EQ(reader.next(), nullptr);
    return outcome;
}

TEST(CSVReaderStream, TruncatedAndIllFormedInputEndsWithError) {
    const Outcome odd =
        readAll(memory(encoded<UTF16>("a,b\nc", Endian::big) + "\0"s), UTF16{}, Endian::big);
    EXPECT_EQ(odd.rows, (Rows{{"a", "b"}, {"c"}}));
    EXPECT_EQ(odd.error, CSVError(CSVError::Kind::stringEncodingMismatch));

    const Outcome short32 =
        readAll(memory(encoded<UTF32>("x", Endian::little) + "\0\0"s), UTF32{}, Endian::little);
    EXPECT_EQ(short32.rows, (Rows{{"x"}}));
    EXPECT_EQ(short32.error, CSVError(CSVError::Kind::stringEncodingMismatch));

    // Cut inside a surrogate pair: the decoder's report comes last and is the one kept.
    const Outcome cutPair = readAll(memory("\0x\xD8\x3D\xDE"s), UTF16{}, Endian::big);
    EXPECT_EQ(cutPair.rows, (Rows{{"x"}}));
    EXPECT_EQ(cutPair.error, CSVError(CSVError::Kind::unicodeDecoding));

    const Outcome loneLow = readAll(memory(encoded<UTF16>("a\nb", Endian::little) + "\x00\xDC"s +
                                           encoded<UTF16>("c\nd", Endian::little)),
                                    UTF16{}, Endian::little);
    EXPECT_EQ(loneLow.rows, (Rows{{"a"}, {"b"}}));
    EXPECT_EQ(loneLow.error, CSVError(CSVError::Kind::unicodeDecoding));

    const Outcome tooLarge = readAll(memory("\0\0\0a\0\x11\0\0"s), UTF32{}, Endian::big);
    EXPECT_EQ(tooLarge.rows, (Rows{{"a"}}));
    EXPECT_EQ(tooLarge.error, CSVError(CSVError::Kind::unicodeDecoding));

    const Outcome badUTF8 = readAll(memory("a\n\"b\xC0\x80\"\nc"));
    EXPECT_EQ(badUTF8.rows, (Rows{{"a"}, {"b"}}));
    EXPECT_EQ(badUTF8.error, CSVError(CSVError::Kind::unicodeDecoding));
}

TEST(CSVReaderStream, ReadFailureEndsRowsForGood) {
    auto stream = std::make_shared<ScriptedInputStream>();
    stream->addChunk("a,b\nc,");
    stream->addFailure(std::make_error_code(std::errc::io_error));
    stream->addChunk("d\ne\n");
    const Outcome outcome = readAll(stream);
    EXPECT_EQ(outcome.rows, (Rows{{"a", "b"}, {"c", ""}}));
    EXPECT_EQ(outcome.error,
              CSVError::streamErrorHasOccurred(std::make_error_code(std::errc::io_error)));

    auto silent = std::make_shared<ScriptedInputStream>();
    silent->addChunk("a");
    silent->addFailure();
    EXPECT_EQ(readAll(silent).error, CSVError(CSVError::Kind::cannotReadFile));
}

// A text with no byte-order mark of its own in any encoding.
std::string randomText(unsigned seed, std::size_t size) {
    RandomText random(seed);
    std::string text = "x";
    while (text.size() < size) {
        text += random.field(40);
    }
    return text;
}

TEST(CSVReaderStream, BufferBoundariesChangeNothing) {
    const std::string text = randomText(7, 3 * CSVReader::bufferSize);
    for (const auto& configuration : {CSVReader::defaultConfiguration(), trimmed()}) {
        const Rows expected = rowsOf(text, configuration);
        ASSERT_GT(expected.size(), 1000u);
        // The parser without its fast path.
        CSVReader slow(ScalarList{scalarsOf(text)}, configuration);
        EXPECT_EQ(readRows(slow), expected);

        CSVReader utf8(memory(text), configuration);
        EXPECT_EQ(readRows(utf8), expected);
        CSVReader utf16(memory(encoded<UTF16>(text, Endian::little)), UTF16{}, Endian::little,
                        configuration);
        EXPECT_EQ(readRows(utf16), expected);
        CSVReader utf16BE(memory(encoded<UTF16>(text, Endian::big)), UTF16{}, Endian::big,
                          configuration);
        EXPECT_EQ(readRows(utf16BE), expected);
        CSVReader utf32(memory(encoded<UTF32>(text, Endian::big)), UTF32{}, Endian::big,
                        configuration);
        EXPECT_EQ(readRows(utf32), expected);

        // Reads that deliver a few bytes at a time split every kind of sequence.
        auto trickle = std::make_shared<ScriptedInputStream>();
        for (std::size_t at = 0, step = 1; at < text.size(); at += step, step = step % 13 + 1) {
            trickle->addChunk(text.substr(at, step));
        }
        CSVReader pieces(trickle, configuration);
        EXPECT_EQ(readRows(pieces), expected);
        EXPECT_FALSE(pieces.error());
    }
}

TEST(CSVReaderStream, NonASCIIDelimiterOnTheFastPath) {
    CSVReader::Configuration section;
    section.delimiter = U'\u00A7';
    const std::string text = "\u00E9\u00A7\u00A8\u00A7\"\u00A7\"\u00A7x,y\n";
    CSVReader utf8(memory(text), section);
    EXPECT_EQ(readRows(utf8), (Rows{{"\u00E9", "\u00A8", "\u00A7", "x,y"}}));
    CSVReader utf16(memory(encoded<UTF16>(text, Endian::big)), UTF16{}, Endian::big, section);
    EXPECT_EQ(readRows(utf16), (Rows{{"\u00E9", "\u00A8", "\u00A7", "x,y"}}));
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

TEST(CSVReaderStream, FilesOfBufferSizedLengthsEndCleanly) {
    TempDir dir;
    for (const std::size_t size : {std::size_t{0}, CSVReader::bufferSize, 2 * CSVReader::bufferSize,
                                   2 * CSVReader::bufferSize + 1}) {
        const auto path = dir.file("rows.csv");
        std::string text(size, 'a');
        for (std::size_t i = 9; i < size; i += 10) {
            text[i] = '\n';
        }
        std::ofstream(path, std::ios::binary) << text;
        auto stream = std::make_shared<FileInputStream>(path);
        {
            CSVReader reader(stream);
            std::size_t rows = 0;
            for (const Row& row : reader) {
                ASSERT_EQ(row.size(), 1u);
                ++rows;
            }
            EXPECT_EQ(rows, (size + 9) / 10) << size;
            EXPECT_FALSE(reader.error()) << size << " " << reader.error()->what();
        }
        EXPECT_EQ(stream->status(), StreamStatus::closed);
    }
}

TEST(CSVReaderStream, ReaderClosesItsStream) {
    auto stream = memory("a");
    { CSVReader reader(stream); }
    EXPECT_EQ(stream->status(), StreamStatus::closed);

    CSVReader::Configuration header;
    header.hasHeaderRow = true;
    auto empty = memory("");
    EXPECT_THROW(CSVReader(empty, header), CSVError);
    EXPECT_EQ(empty->status(), StreamStatus::closed);

    EXPECT_THROW(CSVReader(std::make_shared<FileInputStream>("/nonexistent/x.csv")), CSVError);
}

} // namespace
} // namespace csv::test
