// The file and in-memory streams.
#include "CSV/CSVWriter.h"
#include "CSV/FileStreams.h"
#include "CSVTestSupport.h"

#include <gtest/gtest.h>

namespace csv::test {
namespace {

std::string readAll(InputStream& stream, std::size_t chunk) {
    std::string bytes(chunk, '\0');
    std::string result;
    for (std::ptrdiff_t n;
         (n = stream.read(reinterpret_cast<std::uint8_t*>(bytes.data()), chunk)) > 0;) {
        result.append(bytes, 0, static_cast<std::size_t>(n));
    }
    return result;
}

TEST(MemoryStreams, InputStatesAndReads) {
    MemoryInputStream stream("hello");
    std::uint8_t byte = 0;
    EXPECT_EQ(stream.status(), StreamStatus::notOpen);
    EXPECT_LT(stream.read(&byte, 1), 0);
    stream.open();
    EXPECT_TRUE(stream.hasBytesAvailable());
    EXPECT_EQ(readAll(stream, 2), "hello");
    EXPECT_FALSE(stream.hasBytesAvailable());
    EXPECT_EQ(stream.status(), StreamStatus::atEnd);
    EXPECT_EQ(stream.read(&byte, 1), 0);
    stream.close();
    EXPECT_EQ(stream.status(), StreamStatus::closed);
    EXPECT_LT(stream.read(&byte, 1), 0);
}

TEST(MemoryStreams, OutputCollects) {
    MemoryOutputStream stream;
    const std::uint8_t bytes[] = {'a', 'b'};
    EXPECT_LT(stream.write(bytes, 2), 0);
    stream.open();
    EXPECT_EQ(stream.write(bytes, 2), 2);
    EXPECT_EQ(stream.write(bytes, 1), 1);
    EXPECT_EQ(stream.data(), "aba");
}

TEST(FileStreams, WriteThenRead) {
    const TempDir dir;
    const auto path = dir.file("out.csv");
    std::string expected;
    {
        auto stream = std::make_shared<FileOutputStream>(path);
        CSVWriter writer(stream);
        // More than the stream's buffer, to exercise its flushes.
        for (int i = 0; i < 20000; ++i) {
            writer.writeRow({std::to_string(i), "caf\u00E9"});
            expected += (i > 0 ? "\n" : "") + std::to_string(i) + ",caf\u00E9";
        }
        stream->close();
        EXPECT_EQ(stream->status(), StreamStatus::closed);
        EXPECT_FALSE(stream->error());
    }
    FileInputStream input(path);
    input.open();
    EXPECT_TRUE(input.hasBytesAvailable());
    EXPECT_EQ(readAll(input, 4096), expected);
    EXPECT_FALSE(input.hasBytesAvailable());
    EXPECT_EQ(input.status(), StreamStatus::atEnd);
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
