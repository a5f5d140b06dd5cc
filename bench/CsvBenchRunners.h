#pragma once

#include "CSV/CSVReader.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// One timed pass over the benchmark file by one reader.
struct ReadPass {
    double seconds = 0;
    std::size_t fields = 0;
    std::size_t rows = 0;
};

// One timed pass of a writer.
struct WritePass {
    double seconds = 0;
    std::uintmax_t bytes = 0;
};

// The floor: reading the file and counting its LF bytes with memchr.
ReadPass countLineFeeds(const std::filesystem::path& file);
ReadPass readWithCSVReader(const std::filesystem::path& file);
ReadPass readWithCSVReaderUTF16LE(const std::filesystem::path& file);
// Keeps only the first field of each row, as the task import does.
ReadPass readFirstFieldsWithCSVReader(const std::filesystem::path& file);
// The peers run as programs of their own that time themselves.
ReadPass readWithLibcsv(const std::filesystem::path& file);
ReadPass readWithPython(const std::filesystem::path& file);

// The first `count` rows of the file, for the writers.
std::vector<csv::Row> loadRows(const std::filesystem::path& file, std::size_t count);
WritePass writeWithCSVWriter(const std::vector<csv::Row>& rows, int repeat,
                             const std::filesystem::path& out);
WritePass writeWithPython(const std::filesystem::path& file, std::size_t count, int repeat,
                          const std::filesystem::path& out);

// The process's peak resident memory, in KiB; resetPeakMemory starts a new peak where Linux allows.
long peakMemoryKiB();
void resetPeakMemory();
