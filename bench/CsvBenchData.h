#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

// The generated benchmark file: a header and rows of 8 columns, with quoted fields holding
// delimiters, doubled quotes and line breaks, and some non-ASCII text.
struct CsvBenchFiles {
    std::filesystem::path utf8;
    std::filesystem::path utf16;
    std::uintmax_t utf8Bytes = 0;
    std::uintmax_t utf16Bytes = 0;
    std::size_t rows = 0;
};

// Writes about `size` bytes of UTF-8 to `utf8`, and the same rows as UTF-16LE (no mark) to `utf16`.
CsvBenchFiles generateCsvBenchFiles(const std::filesystem::path& utf8,
                                    const std::filesystem::path& utf16, std::uintmax_t size);

// Writes one row of `size` delimiters, then a short row: a hostile file for a reader that keeps
// every field. Returns the bytes written.
std::uintmax_t generateDelimiterFlood(const std::filesystem::path& file, std::uintmax_t size);
