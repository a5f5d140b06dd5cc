// The file and in-memory streams.
#include "CSV/FileStreams.h"
#include "CSVTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace csv::test {
namespace {

const auto* bytesOf(std::string_view text) {
    return reinterpret_cast<const std::uint8_t*>(text.data());
}

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
            const Rows rows = readRows(reader);
            EXPECT_EQ(rows.size(), (size + 9) / 10) << size;
            EXPECT_EQ(rows, rowsOf(text)) << size;
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
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(block.data());
    EXPECT_EQ(fullAtOnce.write(bytes, block.size() - 1),
              static_cast<std::ptrdiff_t>(block.size() - 1));
    EXPECT_LT(fullAtOnce.write(bytes, 2), 0);
    EXPECT_EQ(fullAtOnce.status(), StreamStatus::error);
}

} // namespace
} // namespace csv::test
