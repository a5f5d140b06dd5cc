// The file and in-memory streams, and the buffered byte reader over them.
#include "CSV/BinaryReader.h"
#include "CSV/FileStreams.h"
#include "CSVTestSupport.h"
#include "FakeStreams.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace csv::test {
namespace {

using namespace std::string_literals;
using enum CSVError::Kind;
using detail::bytesOf;

TEST(MemoryStreams, InputStatesAndReads) {
    MemoryInputStream stream("hello");
    std::uint8_t bytes[3] = {};
    std::string trace = testing::PrintToString(stream.status());
    const auto read = [&] {
        const std::ptrdiff_t n = stream.read(bytes, sizeof bytes);
        trace += ' ' + (n > 0 ? std::string(bytes, bytes + n) : std::to_string(n));
    };
    read();
    stream.open();
    trace += stream.hasBytesAvailable() ? " available" : " none";
    read();
    read();
    trace += stream.hasBytesAvailable() ? " available" : " none";
    read();
    trace += ' ' + testing::PrintToString(stream.status());
    read();
    stream.close();
    trace += ' ' + testing::PrintToString(stream.status());
    read();
    EXPECT_EQ(trace, "notOpen -1 available hel lo none 0 atEnd 0 closed -1");

    MemoryOutputStream out;
    EXPECT_LT(out.write(bytesOf("ab"), 2), 0);
    out.open();
    EXPECT_EQ(out.write(bytesOf("ab"), 2), 2);
    EXPECT_EQ(out.write(bytesOf("a"), 1), 1);
    EXPECT_EQ(out.data(), "aba");
}

// Text written to a file in pieces of every length up to 13 and read back by the reader, at
// lengths around the reader's buffer and beyond the file stream's: both streams flush, fill
// and end cleanly.
TEST(FileStreams, WrittenInPiecesReadBackAtBufferSizedLengths) {
    // An unnamed temporary file, opened again by its name in /proc: nothing to clean up.
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), &std::fclose);
    ASSERT_TRUE(file);
    const std::string path = "/proc/self/fd/" + std::to_string(fileno(file.get()));
    for (const std::size_t size : {std::size_t{0}, CSVReader::bufferSize, 2 * CSVReader::bufferSize,
                                   2 * CSVReader::bufferSize + 1}) {
        std::string text(size, 'a');
        for (std::size_t i = 9; i < size; i += 10) {
            text[i] = '\n';
        }
        FileOutputStream out(path);
        out.open();
        for (std::size_t at = 0, step = 1; at < size; at += step, step = step % 13 + 1) {
            const std::size_t length = std::min(step, size - at);
            ASSERT_EQ(out.write(bytesOf(text) + at, length), std::ptrdiff_t(length));
        }
        out.close();
        EXPECT_EQ(std::tuple(out.status(), out.error()),
                  std::tuple(StreamStatus::closed, std::error_code()));
        auto input = std::make_shared<FileInputStream>(path);
        {
            CSVReader reader(input);
            CSVReader fromText(text);
            const Rows rows = readRows(reader);
            EXPECT_EQ(rows.size(), (size + 9) / 10) << size;
            EXPECT_EQ(rows, readRows(fromText)) << size;
            EXPECT_FALSE(reader.error()) << size;
        }
        EXPECT_EQ(input->status(), StreamStatus::closed);
    }
}

TEST(FileStreams, Failures) {
    FileInputStream missing("/nonexistent/in.csv");
    missing.open();
    EXPECT_EQ(missing.status(), StreamStatus::error);
    EXPECT_EQ(missing.error(), std::make_error_code(std::errc::no_such_file_or_directory));

    FileOutputStream unwritable("/nonexistent/out.csv");
    unwritable.open();
    EXPECT_EQ(unwritable.status(), StreamStatus::error);

    // Buffered bytes only meet the full device when they are flushed at close.
    FileOutputStream full("/dev/full");
    full.open();
    ASSERT_EQ(full.status(), StreamStatus::open);
    const std::uint8_t byte = 'x';
    EXPECT_EQ(full.write(&byte, 1), 1);
    full.close();
    EXPECT_EQ(full.status(), StreamStatus::error);
    EXPECT_EQ(full.error(), std::make_error_code(std::errc::no_space_on_device));
    EXPECT_LT(full.write(&byte, 1), 0);

    // A write that needs a flush reports the failure at once.
    FileOutputStream fullAtOnce("/dev/full");
    fullAtOnce.open();
    const std::string block(FileOutputStream::bufferSize, 'x');
    EXPECT_EQ(fullAtOnce.write(bytesOf(block), block.size() - 1),
              static_cast<std::ptrdiff_t>(block.size() - 1));
    EXPECT_LT(fullAtOnce.write(bytesOf(block), 2), 0);
    EXPECT_EQ(fullAtOnce.status(), StreamStatus::error);
}

// The buffered byte reader: what its callers above do not show (marks and byte orders are read
// through the CSV reader in every encoding).

std::shared_ptr<BinaryReader> readerOn(std::shared_ptr<InputStream> stream, Endian endian,
                                       std::size_t bufferSize = 64) {
    return std::make_shared<BinaryReader>(std::move(stream), endian, true, bufferSize);
}

// A stream that delivers the chunks one read each; "!" stands for a failed read.
std::shared_ptr<ScriptedInputStream> scripted(std::initializer_list<std::string> chunks) {
    auto stream = std::make_shared<ScriptedInputStream>();
    for (const std::string& chunk : chunks) {
        chunk == "!" ? stream->addFailure() : stream->addChunk(chunk);
    }
    return stream;
}

TEST(BinaryReader, MarkContradictingTheToldOrderFailsAndLeavesTheStreamOpen) {
    for (const auto& [bytes, told] :
         {std::pair{"\xEF\xBB\xBF"s, Endian::big}, std::pair{"\xEF\xBB\xBF"s, Endian::little},
          std::pair{"\xFE\xFF"s, Endian::little}, std::pair{"\xFF\xFE\0\0"s, Endian::big}}) {
        const auto stream = memory(bytes);
        EXPECT_EQ(kindThrown([&] { readerOn(stream, told); }), stringEndianMismatch);
        EXPECT_EQ(stream->status(), StreamStatus::open);
    }
    // Only the first fill is looked at for a mark.
    const auto split = readerOn(scripted({"\xFF", "\xFE"}), Endian::unknown);
    EXPECT_EQ(split->readUInt8(), 0xFF);
    EXPECT_EQ(split->readUInt8(), 0xFE);
}

TEST(BinaryReader, ReadFailures) {
    // Without a byte order a wide unit fails, after it has been consumed.
    const auto unknown = readerOn(memory("abcdefgh"), Endian::unknown);
    EXPECT_EQ(kindThrown([&] { unknown->readUInt16(); }), stringEndianMismatch);
    EXPECT_EQ(unknown->readUInt8(), 'c');
    EXPECT_EQ(kindThrown([&] { unknown->readUInt32(); }), stringEndianMismatch);
    EXPECT_EQ(unknown->readUInt8(), 'h');
    EXPECT_EQ(kindThrown([&] { unknown->readUInt8(); }), cannotReadFile);

    // A failure with an error object, one without, then the stream delivers again.
    const auto stream = scripted({"ab"});
    stream->addFailure(std::make_error_code(std::errc::io_error));
    stream->addFailure();
    stream->addChunk("c");
    const auto reader = readerOn(stream, Endian::little);
    EXPECT_EQ(reader->readUInt16(), 0x6261);
    // The error object it carries is read through the CSV reader.
    EXPECT_EQ(kindThrown([&] { reader->readUInt8(); }), streamErrorHasOccurred);
    EXPECT_EQ(kindThrown([&] { reader->readUInt8(); }), cannotReadFile);
    EXPECT_EQ(reader->readUInt8(), 'c');
}

TEST(BinaryReader, OpeningAndClosingTheStream) {
    auto failing = scripted({});
    failing->statusAfterOpen = StreamStatus::error;

    auto finished = memory("");
    finished->open();
    std::uint8_t byte = 0;
    finished->read(&byte, 1);
    ASSERT_EQ(finished->status(), StreamStatus::atEnd);
    auto closed = memory("x");
    closed->close();
    const std::shared_ptr<InputStream> unopenable[] = {
        failing, finished, closed, std::make_shared<FileInputStream>("/nonexistent/q.csv")};
    for (const auto& stream : unopenable) {
        EXPECT_EQ(kindThrown([&] { readerOn(stream, Endian::unknown); }), cannotOpenFile);
    }
    EXPECT_EQ(failing->closeCalls, 0);
    EXPECT_EQ(kindThrown([] { readerOn(scripted({"!"}), Endian::unknown); }), cannotReadFile);

    // A stream already open is not opened again; it is closed only when the reader is told to.
    auto alreadyOpen = scripted({"z"});
    alreadyOpen->open();
    EXPECT_EQ(readerOn(alreadyOpen, Endian::unknown)->readUInt8(), 'z');
    EXPECT_EQ(std::pair(alreadyOpen->openCalls, alreadyOpen->closeCalls), std::pair(1, 1));

    auto kept = memory("x");
    { const BinaryReader reader(kept, Endian::unknown, false, 8); }
    EXPECT_EQ(kept->status(), StreamStatus::open);
}

TEST(BinaryReader, IteratorsEndInsteadOfFailingAndHaveNoFinishedFlag) {
    std::vector<CSVError::Kind> errors;
    const auto record = [&](const CSVError& error) { errors.push_back(error.kind()); };
    BinaryReader::UInt8Iterator empty(readerOn(memory(""), Endian::unknown));
    empty.errorHandler = record;
    EXPECT_FALSE(empty.next());
    BinaryReader::UInt16Iterator odd(readerOn(memory("\0a\0"s), Endian::big));
    odd.errorHandler = record;
    EXPECT_EQ(odd.next(), 0x61);
    EXPECT_FALSE(odd.next());
    EXPECT_EQ(errors, std::vector{stringEncodingMismatch});
    // No handler: the failure only ends the sequence.
    EXPECT_FALSE(BinaryReader::UInt16Iterator(readerOn(memory("ab"), Endian::unknown)).next());

    std::vector<std::uint32_t> units;
    std::ranges::copy(
        BinaryReader::UInt32Iterator(readerOn(memory("\0\0\0A\0\0\0B"s), Endian::big, 5)),
        std::back_inserter(units));
    EXPECT_EQ(units, (std::vector<std::uint32_t>{0x41, 0x42}));

    const auto stream = scripted({"a"});
    BinaryReader::UInt8Iterator later(readerOn(stream, Endian::unknown));
    EXPECT_EQ(later.next(), 'a');
    EXPECT_FALSE(later.next());
    stream->addChunk("b");
    EXPECT_EQ(later.next(), 'b');
}

} // namespace
} // namespace csv::test
