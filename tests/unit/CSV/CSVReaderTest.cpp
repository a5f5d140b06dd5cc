// The reader: the parser's state table, row ends, quoting, kept fields and header rows, read the
// same from text and in every encoding and byte order; byte-order marks, buffer boundaries,
// round trips through the writer, and input that ends in an error.
#include "CSV/CSVWriter.h"
#include "CSVTestSupport.h"
#include "FakeStreams.h"

#include <gtest/gtest.h>

#include <stdexcept>

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
    // The rows in `bytes`, which must end without an error.
    Rows read(std::string bytes, const Configuration& configuration) const {
        const auto in = reader(std::move(bytes), configuration);
        Rows rows = readRows(*in);
        EXPECT_FALSE(in->error()) << name << ' ' << in->error()->what();
        return rows;
    }
};

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
const Encoding textInput = [] {
    Encoding utf8 = encoding<UTF8>("Text", Endian::unknown, Endian::unknown);
    utf8.reader = [](std::string bytes, const Configuration& configuration) {
        return std::make_unique<CSVReader>(std::move(bytes), configuration);
    };
    return utf8;
}();
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

struct ReadCase {
    std::string input;
    Rows rows;
    Configuration configuration = {};
};

const Configuration trim{.trimFields = true};
const std::string longA(24, 'a');
const std::string longB(28, 'b');

const ReadCase readCases[] = {
    // Row ends.
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
    ReadCase{longA + "," + longB + ",c\nd\n\"e\"\n", {{longA, longB, "c"}, {"d"}, {"e"}}},
    // Quotes.
    ReadCase{"\"x,y\",z", {{"x,y", "z"}}},
    ReadCase{
        "id,text\r\n1,\"caf\u00E9, \"\"ok\"\"\n\U0001F600\"\n2,\u65E5\u672C\r3",
        {{"id", "text"}, {"1", "caf\u00E9, \"ok\"\n\U0001F600"}, {"2", "\u65E5\u672C"}, {"3"}}},
    ReadCase{"\"a\"\"b\"\"\"\"\"", {{"a\"b\"\""}}},
    ReadCase{"\"a\nb\",c\nd", {{"a\nb", "c"}, {"d"}}}, ReadCase{"\"a\r\nb\"", {{"a\r\nb"}}},
    ReadCase{"\"\"", {{""}}}, ReadCase{"\"\",\"\"", {{"", ""}}}, ReadCase{"\"a\",", {{"a", ""}}},
    ReadCase{"a,\"b\"", {{"a", "b"}}}, ReadCase{"\"a\"\"", {{"a\""}}},
    ReadCase{"\"abc,d\ne", {{"abc,d\ne"}}}, ReadCase{"a\"b,c", {{"a\"b", "c"}}},
    ReadCase{"ab\"c\"", {{"ab\"c\""}}}, ReadCase{" \"a\",b", {{" \"a\"", "b"}}},
    // A quote that neither doubles nor ends the field stays, and so does what follows it.
    ReadCase{"\"He said \"hi\" there\"", {{"He said \"hi\" there"}}},
    ReadCase{"\"He said \"hi\" there\"", {{"He said \"hi\" there"}}, trim},
    ReadCase{"\"ab\"c\",d", {{"ab\"c", "d"}}}, ReadCase{"\"a\" x\",c", {{"a\" x", "c"}}},
    ReadCase{"\"a\" x\",c", {{"a\" x", "c"}}, trim}, ReadCase{"\"a\"  \"b\"", {{"a\"  \"b"}}, trim},
    // Trimming: tab and the space separators are whitespace; line breaks and others not.
    ReadCase{"\u1680\u2000a\u200A\u202F\u205F", {{"a"}}, trim},
    ReadCase{"\v\f\u0085\u2028\u200Ba", {{"\v\f\u0085\u2028\u200Ba"}}, trim},
    ReadCase{"\u3000a\u00A0,\tb\u2003", {{"a", "b"}}, trim},
    ReadCase{"  a  ,  \"b \"  ,c", {{"a", "b ", "c"}}, trim},
    ReadCase{"  a  ,  \"b \"  ,c", {{"  a  ", "  \"b \"  ", "c"}}},
    ReadCase{"  ,  ", {{"", ""}}, trim}, ReadCase{"a,   ", {{"a", ""}}, trim},
    ReadCase{"\"a\"   ", {{"a"}}, trim}, ReadCase{"\"a\"  \nb", {{"a"}, {"b"}}, trim},
    ReadCase{"\"a\" \r\nb", {{"a"}, {"b"}}, trim}, ReadCase{"a b , c d", {{"a b", "c d"}}, trim},
    ReadCase{" \n ", {{""}, {""}}, trim},
    // Delimiters.
    ReadCase{" a \t b\t\tc ", {{"a", "b", "", "c"}}, {.trimFields = true, .delimiter = U'\t'}},
    ReadCase{"a,b;\"c;d\"", {{"a,b", "c;d"}}, {.delimiter = U';'}},
    ReadCase{"\u00E9\u00A7\u65E5\u00A8\u00A7\"\u00A7\"\u00A7x,y\n",
             {{"\u00E9", "\u65E5\u00A8", "\u00A7", "x,y"}},
             {.delimiter = U'\u00A7'}},
    // Kept fields: the fields after the kept ones are read, quotes and line breaks included, and
    // dropped.
    ReadCase{",,,,\n,\na,b,c", {{""}, {""}, {"a"}}, {.maxFieldsKept = 1}},
    ReadCase{"a,\"x,\ny\",\"p\"\"\rq\",z\r\nnext", {{"a"}, {"next"}}, {.maxFieldsKept = 1}},
    ReadCase{" a , b , c \n d", {{"a", "b"}, {"d"}}, {.trimFields = true, .maxFieldsKept = 2}},
    ReadCase{"a,b\nc", {{}, {}}, {.maxFieldsKept = 0}},
    ReadCase{std::string(200'000, ',') + "\nx,y", {{""}, {"x"}}, {.maxFieldsKept = 1}}};

TEST(CSVReader, RowsReadTheSameInEveryEncodingAndWithoutTheFastPath) {
    for (const ReadCase& c : readCases) {
        SCOPED_TRACE(testing::PrintToString(c.input.substr(0, 40)));
        Configuration plain = c.configuration;
        plain.whitespaces.erase(plain.delimiter);
        CSVReader slow(detail::ScalarCursor(c.input), plain);
        EXPECT_EQ(readRows(slow), c.rows);
        for (const Encoding& encoding : encodings) {
            EXPECT_EQ(encoding.read(encoding.bytes(c.input), c.configuration), c.rows)
                << encoding.name;
        }
    }
}

TEST(CSVReader, IteratorInputUsesTheConfigurationAsGiven) {
    // The delimiter stays a whitespace here, so the empty field's tab is trimmed away.
    CSVReader reader(detail::ScalarCursor("a\t\tb\n\u00E9\"x\"\"\""),
                     {.trimFields = true, .delimiter = U'\t'});
    EXPECT_EQ(readRows(reader), (Rows{{"a", "b"}, {"\u00E9\"x\"\"\""}}));
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
    // An unknown name answers nothing before the current row is looked at.
    EXPECT_EQ(lookUp(reader, {"id", "zzz"}),
              (Found{"CSVReader.currentRow must not be nil", std::nullopt}));
    ASSERT_NE(reader.next(), nullptr);
    // Compatibility forms are not canonical equivalents: the ligature is not "fi".
    EXPECT_EQ(lookUp(reader, {"name", "other", "k", "cafe\u0301", "A\u030A", "fi", "caf\xC3"}),
              (Found{"x", std::nullopt, "first", "2", "3", std::nullopt, std::nullopt}));
    // A row shorter than the header.
    ASSERT_NE(reader.next(), nullptr);
    EXPECT_EQ(lookUp(reader, {"id", "name"}), (Found{"5", std::nullopt}));
    reader.next();
    EXPECT_EQ(lookUp(reader, {"id"}), Found{"CSVReader.currentRow must not be nil"});
}

TEST(CSVReaderHeader, MissingBrokenAndCutHeaderRows) {
    CSVReader plain("a,b");
    EXPECT_EQ(plain.currentRow(), nullptr);
    plain.next();
    EXPECT_EQ(lookUp(plain, {"a"}), Found{"CSVReader.headerRow must not be nil"});

    // The stream is closed all the same.
    const auto empty = memory("");
    EXPECT_EQ(kindThrown([&] { CSVReader(empty, header); }), cannotReadHeaderRow);
    EXPECT_EQ(empty->status(), StreamStatus::closed);
    CSVReader onlyHeader("a,b\n", header);
    EXPECT_EQ(onlyHeader.headerRow(), (Row{"a", "b"}));
    EXPECT_EQ(onlyHeader.next(), nullptr);

    CSVReader broken(std::string("a,\xFF\n1,2"), header);
    EXPECT_EQ((std::tuple{broken.headerRow(), broken.error(), broken.next()}),
              std::tuple(Row{"a", ""}, CSVError(unicodeDecoding), nullptr));

    CSVReader cut("a,b,c\n1,2,3", {.hasHeaderRow = true, .maxFieldsKept = 2});
    EXPECT_EQ(cut.headerRow(), (Row{"a", "b"}));
    cut.next();
    EXPECT_EQ(cut["c"], std::nullopt);
}

// Neither buffer boundaries in any encoding nor a stream that delivers its bytes in pieces of 1
// to 13, splitting every sequence, change what is read.
TEST(CSVReader, BufferBoundariesAndPiecesChangeNothing) {
    // A text with no byte-order mark of its own in any encoding, three buffers long.
    RandomText random(7);
    std::string text = "x";
    while (text.size() < 3 * CSVReader::bufferSize) {
        text += random.field(40);
    }
    for (const Configuration& configuration : {Configuration{}, trim}) {
        // The parser without its fast path reads the same.
        CSVReader slow(detail::ScalarCursor(text), configuration);
        const Rows expected = readRows(slow);
        ASSERT_GT(expected.size(), 1000u);
        for (const Encoding& encoding : encodings) {
            EXPECT_EQ(encoding.read(encoding.bytes(text), configuration), expected)
                << encoding.name;
        }
        auto trickle = std::make_shared<ScriptedInputStream>();
        for (std::size_t at = 0, step = 1; at < text.size(); at += step, step = step % 13 + 1) {
            trickle->addChunk(text.substr(at, step));
        }
        CSVReader pieces(trickle, configuration);
        EXPECT_EQ(readRows(pieces), expected);
        EXPECT_FALSE(pieces.error());
    }
}

TEST(CSVReader, RandomRowsWriteAndReadBackInEveryEncoding) {
    RandomText random(1);
    Rows rows(300);
    std::ranges::generate(rows, [&] { return random.row(6, 12); });
    // A last row of one empty field is written as nothing at all (no line end follows it).
    rows.back() = {"last"};
    for (const Encoding& encoding : encodings) {
        for (const auto& [delimiter, scalar] :
             {std::pair{","s, U','}, std::pair{"\t"s, U'\t'}, std::pair{"\u00A7"s, U'\u00A7'}}) {
            for (const auto newline : {CSVWriter::Newline::lf, CSVWriter::Newline::crlf}) {
                auto out = std::make_shared<MemoryOutputStream>();
                const auto writer = encoding.writer(out, delimiter, newline);
                for (std::size_t i = 0; i < rows.size(); ++i) {
                    // Forced quotes on some fields must read back the same.
                    writer->writeRow(rows[i],
                                     [i](std::size_t field) { return (i + field) % 7 == 0; });
                }
                EXPECT_EQ(encoding.read(encoding.mark + out->data(), {.delimiter = scalar}), rows);
            }
        }
    }
}

// Input that ends in an error: the rows before it, then the error and nothing more.
TEST(CSVReader, RowsEndAtTheErrorForGood) {
    const Encoding utf16Unordered = encoding<UTF16>("UTF16", Endian::big, Endian::unknown);
    // The text, the raw bytes after it, the rows read and the error.
    const std::tuple<const Encoding&, std::string, std::string, Rows, CSVError::Kind> cases[] = {
        {textInput, "a,b", "\xFF"s + "c,d\ne,f", {{"a", "b"}}, unicodeDecoding},
        {textInput, "\"x", "\xE2\x82", {{"x"}}, unicodeDecoding},
        {utf8, "a\n\"b", "\xC0\x80\"\nc", {{"a"}, {"b"}}, unicodeDecoding},
        {utf16BE, "a,b\nc", "\0"s, {{"a", "b"}, {"c"}}, stringEncodingMismatch},
        {utf32LE, "x", "\0\0"s, {{"x"}}, stringEncodingMismatch},
        // Cut inside a surrogate pair: the decoder's report comes last and is the one kept.
        {utf16BE, "x", "\xD8\x3D\xDE", {{"x"}}, unicodeDecoding},
        {utf16LE, "a\nb", "\0\xDC"s + "c\0\n\0d\0"s, {{"a"}, {"b"}}, unicodeDecoding},
        {utf32BE, "a", "\0\x11\0\0"s, {{"a"}}, unicodeDecoding},
        // No mark and no order told: the first unit cannot be assembled.
        {utf16Unordered, "a,b", "", {}, stringEndianMismatch}};
    for (const auto& [form, text, tail, rows, error] : cases) {
        const auto reader = form.reader(form.bytes(text) + tail, {});
        EXPECT_EQ((std::tuple{readRows(*reader), reader->error(), reader->next()}),
                  std::tuple(rows, CSVError(error), nullptr))
            << form.name << ' ' << testing::PrintToString(text + tail);
    }

    const std::error_code ioError = std::make_error_code(std::errc::io_error);
    auto stream = std::make_shared<ScriptedInputStream>();
    stream->addChunk("a,b\nc,");
    stream->addFailure(ioError);
    stream->addChunk("d\ne\n");
    CSVReader failedRead(stream);
    EXPECT_EQ((std::tuple{readRows(failedRead), failedRead.error(), failedRead.next()}),
              std::tuple(Rows{{"a", "b"}, {"c", ""}}, CSVError::streamErrorHasOccurred(ioError),
                         nullptr));
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

} // namespace
} // namespace csv::test
