// Byte-order marks, byte orders, refills and failures of the buffered byte reader.
#include "CSV/BinaryReader.h"
#include "CSV/FileStreams.h"
#include "CSV/MemoryStreams.h"
#include "FakeStreams.h"
#include "Printers.h"

#include <gtest/gtest.h>

#include <vector>

namespace csv::test {
namespace {

std::shared_ptr<BinaryReader> readerOn(std::shared_ptr<InputStream> stream, Endian endian,
                                       std::size_t bufferSize = 64) {
    return std::make_shared<BinaryReader>(std::move(stream), endian, true, bufferSize);
}

std::shared_ptr<BinaryReader> readerOn(std::string bytes, Endian endian,
                                       std::size_t bufferSize = 64) {
    return readerOn(std::make_shared<MemoryInputStream>(std::move(bytes)), endian, bufferSize);
}

CSVError::Kind constructionError(std::shared_ptr<InputStream> stream, Endian endian) {
    try {
        readerOn(std::move(stream), endian);
    } catch (const CSVError& error) {
        return error.kind();
    }
    ADD_FAILURE() << "construction succeeded";
    return CSVError::Kind::streamErrorHasOccurred;
}

CSVError::Kind constructionError(std::string bytes, Endian endian) {
    return constructionError(std::make_shared<MemoryInputStream>(std::move(bytes)), endian);
}

template <class Read> CSVError::Kind readError(Read read) {
    try {
        read();
    } catch (const CSVError& error) {
        return error.kind();
    }
    ADD_FAILURE() << "read succeeded";
    return CSVError::Kind::streamErrorHasOccurred;
}

using namespace std::string_literals;

TEST(BinaryReaderBOM, MarksSetTheByteOrderAndAreSkipped) {
    auto utf32LE = readerOn("\xFF\xFE\0\0A\0\0\0"s, Endian::unknown);
    EXPECT_EQ(utf32LE->endian(), Endian::little);
    EXPECT_EQ(utf32LE->readUInt32(), 0x41u);

    auto utf32BE = readerOn("\0\0\xFE\xFF\0\0\0A"s, Endian::unknown);
    EXPECT_EQ(utf32BE->endian(), Endian::big);
    EXPECT_EQ(utf32BE->readUInt32(), 0x41u);

    auto utf16LE = readerOn("\xFF\xFE"
                            "A\0"s,
                            Endian::unknown);
    EXPECT_EQ(utf16LE->endian(), Endian::little);
    EXPECT_EQ(utf16LE->readUInt16(), 0x41u);

    auto utf16BE = readerOn("\xFE\xFF\0A"s, Endian::big);
    EXPECT_EQ(utf16BE->endian(), Endian::big);
    EXPECT_EQ(utf16BE->readUInt16(), 0x41u);

    auto utf8 = readerOn("\xEF\xBB\xBF"
                         "a",
                         Endian::unknown);
    EXPECT_EQ(utf8->endian(), Endian::unknown);
    EXPECT_EQ(utf8->readUInt8(), 'a');

    auto none = readerOn("\0A"s, Endian::little);
    EXPECT_EQ(none->endian(), Endian::little);
    EXPECT_EQ(none->readUInt16(), 0x4100u);
}

TEST(BinaryReaderBOM, MarkContradictingTheAskedOrderFails) {
    EXPECT_EQ(constructionError("\xEF\xBB\xBF", Endian::big), CSVError::Kind::stringEndianMismatch);
    EXPECT_EQ(constructionError("\xEF\xBB\xBF", Endian::little),
              CSVError::Kind::stringEndianMismatch);
    EXPECT_EQ(constructionError("\xFE\xFF", Endian::little), CSVError::Kind::stringEndianMismatch);
    EXPECT_EQ(constructionError("\xFF\xFE\0\0"s, Endian::big),
              CSVError::Kind::stringEndianMismatch);

    // A failed construction leaves the stream open.
    auto stream = std::make_shared<MemoryInputStream>("\xFF\xFE");
    EXPECT_EQ(constructionError(stream, Endian::big), CSVError::Kind::stringEndianMismatch);
    EXPECT_EQ(stream->status(), StreamStatus::open);
}

TEST(BinaryReaderBOM, OnlyTheFirstFillIsExamined) {
    auto stream = std::make_shared<ScriptedInputStream>();
    stream->addChunk("\xFF");
    stream->addChunk("\xFE");
    auto reader = readerOn(stream, Endian::unknown);
    EXPECT_EQ(reader->readUInt8(), 0xFF);
    EXPECT_EQ(reader->readUInt8(), 0xFE);
}

TEST(BinaryReaderReads, UnknownOrderFailsAfterConsumingTheUnit) {
    auto reader = readerOn("abcdefgh", Endian::unknown);
    EXPECT_EQ(readError([&] { reader->readUInt16(); }), CSVError::Kind::stringEndianMismatch);
    EXPECT_EQ(reader->readUInt8(), 'c');
    EXPECT_EQ(readError([&] { reader->readUInt32(); }), CSVError::Kind::stringEndianMismatch);
    EXPECT_EQ(reader->readUInt8(), 'h');
}

TEST(BinaryReaderReads, UnitsStraddleRefills) {
    auto reader = readerOn("\x12\x34\x56\x78\x9A\xBC\xDE\xF0\x11", Endian::big, 3);
    EXPECT_EQ(reader->readUInt32(), 0x12345678u);
    EXPECT_EQ(reader->readUInt16(), 0x9ABCu);
    EXPECT_EQ(reader->readUInt16(), 0xDEF0u);
    EXPECT_EQ(reader->readUInt8(), 0x11);

    auto little = readerOn("\x12\x34\x56\x78\x9A\xBC", Endian::little, 5);
    EXPECT_EQ(little->readUInt32(), 0x78563412u);
    EXPECT_EQ(little->readUInt16(), 0xBC9Au);
}

TEST(BinaryReaderReads, EndOfStreamFailures) {
    auto bytes = readerOn("a", Endian::unknown);
    EXPECT_EQ(bytes->readUInt8(), 'a');
    EXPECT_EQ(readError([&] { bytes->readUInt8(); }), CSVError::Kind::cannotReadFile);

    auto odd = readerOn("abc", Endian::big);
    EXPECT_EQ(odd->readUInt16(), 0x6162u);
    EXPECT_EQ(readError([&] { odd->readUInt16(); }), CSVError::Kind::stringEncodingMismatch);

    auto short32 = readerOn("abcdef", Endian::little);
    EXPECT_EQ(short32->readUInt32(), 0x64636261u);
    EXPECT_EQ(readError([&] { short32->readUInt32(); }), CSVError::Kind::stringEncodingMismatch);
}

TEST(BinaryReaderReads, StreamFailuresAndRecovery) {
    auto stream = std::make_shared<ScriptedInputStream>();
    stream->addChunk("ab");
    stream->addFailure(std::make_error_code(std::errc::io_error));
    stream->addFailure();
    stream->addChunk("c");
    auto reader = readerOn(stream, Endian::unknown);
    EXPECT_EQ(reader->readUInt8(), 'a');
    EXPECT_EQ(reader->readUInt8(), 'b');
    try {
        reader->readUInt8();
        ADD_FAILURE() << "read succeeded";
    } catch (const CSVError& error) {
        EXPECT_EQ(error,
                  CSVError::streamErrorHasOccurred(std::make_error_code(std::errc::io_error)));
    }
    // A failure without an error object, then the stream delivers again.
    EXPECT_EQ(readError([&] { reader->readUInt8(); }), CSVError::Kind::cannotReadFile);
    EXPECT_EQ(reader->readUInt8(), 'c');
}

TEST(BinaryReaderConstruction, StreamStates) {
    auto failing = std::make_shared<ScriptedInputStream>();
    failing->statusAfterOpen = StreamStatus::error;
    EXPECT_EQ(constructionError(failing, Endian::unknown), CSVError::Kind::cannotOpenFile);
    EXPECT_EQ(failing->closeCalls, 0);

    EXPECT_EQ(constructionError(std::make_shared<FileInputStream>("/nonexistent/quenby.csv"),
                                Endian::unknown),
              CSVError::Kind::cannotOpenFile);

    auto finished = std::make_shared<MemoryInputStream>("x");
    finished->open();
    std::uint8_t byte = 0;
    finished->read(&byte, 1);
    finished->read(&byte, 1);
    ASSERT_EQ(finished->status(), StreamStatus::atEnd);
    EXPECT_EQ(constructionError(finished, Endian::unknown), CSVError::Kind::cannotOpenFile);

    auto closed = std::make_shared<MemoryInputStream>("x");
    closed->close();
    EXPECT_EQ(constructionError(closed, Endian::unknown), CSVError::Kind::cannotOpenFile);

    auto unreadable = std::make_shared<ScriptedInputStream>();
    unreadable->addFailure(std::make_error_code(std::errc::io_error));
    EXPECT_EQ(constructionError(unreadable, Endian::unknown), CSVError::Kind::cannotReadFile);

    auto alreadyOpen = std::make_shared<ScriptedInputStream>();
    alreadyOpen->open();
    alreadyOpen->addChunk("z");
    EXPECT_EQ(readerOn(alreadyOpen, Endian::unknown)->readUInt8(), 'z');
    EXPECT_EQ(alreadyOpen->openCalls, 1);
}

TEST(BinaryReaderConstruction, EmptyStreamAndClosing) {
    auto stream = std::make_shared<MemoryInputStream>("");
    {
        auto reader = readerOn(stream, Endian::big);
        EXPECT_EQ(reader->endian(), Endian::big);
        EXPECT_FALSE(reader->hasBytesAvailable());
        EXPECT_EQ(stream->status(), StreamStatus::atEnd);
    }
    EXPECT_EQ(stream->status(), StreamStatus::closed);

    auto kept = std::make_shared<MemoryInputStream>("x");
    { BinaryReader reader(kept, Endian::unknown, false, 8); }
    EXPECT_EQ(kept->status(), StreamStatus::open);
}

TEST(BinaryReaderIterators, EndInsteadOfFailing) {
    std::vector<CSVError::Kind> errors;
    const auto record = [&](const CSVError& error) { errors.push_back(error.kind()); };

    BinaryReader::UInt8Iterator empty(readerOn("", Endian::unknown));
    empty.errorHandler = record;
    EXPECT_FALSE(empty.next());
    EXPECT_TRUE(errors.empty());

    BinaryReader::UInt16Iterator odd(readerOn("\0a\0"s, Endian::big));
    odd.errorHandler = record;
    EXPECT_EQ(odd.next(), 0x61);
    EXPECT_FALSE(odd.next());
    EXPECT_EQ(errors, std::vector{CSVError::Kind::stringEncodingMismatch});

    // No handler: the failure only ends the sequence.
    BinaryReader::UInt16Iterator unknown(readerOn("ab", Endian::unknown));
    EXPECT_FALSE(unknown.next());

    std::vector<std::uint32_t> units;
    for (const std::uint32_t unit :
         BinaryReader::UInt32Iterator(readerOn("\0\0\0A\0\0\0B"s, Endian::big, 5))) {
        units.push_back(unit);
    }
    EXPECT_EQ(units, (std::vector<std::uint32_t>{0x41, 0x42}));
}

TEST(BinaryReaderIterators, NoFinishedFlag) {
    auto stream = std::make_shared<ScriptedInputStream>();
    stream->addChunk("a");
    BinaryReader::UInt8Iterator units(readerOn(stream, Endian::unknown));
    EXPECT_EQ(units.next(), 'a');
    EXPECT_FALSE(units.next());
    stream->addChunk("b");
    EXPECT_EQ(units.next(), 'b');
}

} // namespace
} // namespace csv::test
