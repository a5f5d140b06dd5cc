// Read and write throughput of the CSV module on a generated ~100 MB file, beside the floor
// (memchr over the bytes), libcsv and Python's csv module, all measured in this run.
#include "CsvBenchData.h"
#include "CsvBenchRunners.h"
#include "Goals.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr std::uintmax_t fileSize = 100'000'000;
constexpr std::uintmax_t floodSize = 10'000'000;
constexpr int rounds = 5;
constexpr int pythonRounds = 3;
constexpr int writeRepeat = 10;

double megabytes(std::uintmax_t bytes) {
    return static_cast<double>(bytes) / 1e6;
}

// Removes the generated files however the run ends.
struct DataDir {
    std::filesystem::path path;
    explicit DataDir(std::filesystem::path where)
        : path(std::move(where)) {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~DataDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

struct Series {
    std::string name;
    std::uintmax_t bytes; // input read or output written per pass
    std::vector<double> seconds;
    double median() const { return Goals::median(seconds); }
    double rate() const { return megabytes(bytes) / median(); }
};

void printRow(const Series& series, const Series& reference) {
    std::printf("%-48s %9.1f %9.3f %8.2fx\n", series.name.c_str(), series.rate(), series.median(),
                reference.median() / series.median());
}

void checkSameShape(const char* name, const ReadPass& pass, const ReadPass& expected) {
    if (pass.rows != expected.rows || pass.fields != expected.fields) {
        std::printf("warning: %s saw %zu rows / %zu fields, CSVReader %zu / %zu\n", name, pass.rows,
                    pass.fields, expected.rows, expected.fields);
    }
}

int run() {
    const DataDir dir(std::filesystem::path(CSV_BENCH_DIR) / "csv-bench-data");
    const CsvBenchFiles files =
        generateCsvBenchFiles(dir.path / "bench.csv", dir.path / "bench-utf16le.csv", fileSize);

    // Memory first, before anything else has grown the process.
    resetPeakMemory();
    const long peakBefore = peakMemoryKiB();
    const ReadPass reference = readWithCSVReader(files.utf8);
    const long peakGrowth = peakMemoryKiB() - peakBefore;
    // A row of nothing but delimiters, read keeping the first field of each row.
    const auto flood = dir.path / "flood.csv";
    const std::uintmax_t floodBytes = generateDelimiterFlood(flood, floodSize);
    resetPeakMemory();
    const long floodBefore = peakMemoryKiB();
    const ReadPass floodPass = readFirstFieldsWithCSVReader(flood);
    const long floodGrowth = peakMemoryKiB() - floodBefore;
    std::filesystem::remove(flood);

    Series floor{"read  floor: fread + memchr LF", files.utf8Bytes, {}};
    Series ours{"read  CSVReader UTF-8", files.utf8Bytes, {}};
    Series ours16{"read  CSVReader UTF-16LE (same rows, 2x bytes)", files.utf16Bytes, {}};
    Series libcsv{"read  libcsv (C, counting callbacks)", files.utf8Bytes, {}};
    Series python{"read  Python 3 csv.reader", files.utf8Bytes, {}};
    for (int round = 0; round < rounds; ++round) {
        floor.seconds.push_back(countLineFeeds(files.utf8).seconds);
        ours.seconds.push_back(readWithCSVReader(files.utf8).seconds);
        const ReadPass wide = readWithCSVReaderUTF16LE(files.utf16);
        checkSameShape("CSVReader UTF-16", wide, reference);
        ours16.seconds.push_back(wide.seconds);
        const ReadPass peer = readWithLibcsv(files.utf8);
        checkSameShape("libcsv", peer, reference);
        libcsv.seconds.push_back(peer.seconds);
        if (round < pythonRounds) {
            const ReadPass py = readWithPython(files.utf8);
            checkSameShape("Python", py, reference);
            python.seconds.push_back(py.seconds);
        }
    }

    const std::size_t writeRows = reference.rows / writeRepeat;
    const std::vector<csv::Row> rows = loadRows(files.utf8, writeRows);
    const auto out = dir.path / "written.csv";
    Series pyWrite{"write Python 3 csv.writer", 0, {}};
    Series ourWrite{"write CSVWriter UTF-8 (buffered file stream)", 0, {}};
    for (int round = 0; round < rounds; ++round) {
        const WritePass pass = writeWithCSVWriter(rows, writeRepeat, out);
        ourWrite.bytes = pass.bytes;
        ourWrite.seconds.push_back(pass.seconds);
        if (round < pythonRounds) {
            const WritePass py = writeWithPython(files.utf8, writeRows, writeRepeat, out);
            pyWrite.bytes = py.bytes;
            pyWrite.seconds.push_back(py.seconds);
        }
        std::filesystem::remove(out);
    }

    std::printf("CSV on a generated %.1f MB file (%zu rows of 8 columns), medians of %d runs "
                "(Python: %d)\n",
                megabytes(files.utf8Bytes), reference.rows, rounds, pythonRounds);
    std::printf("%-48s %9s %9s %9s\n", "", "MB/s", "seconds", "vs libcsv");
    for (const Series* series : {&floor, &libcsv, &python, &ours, &ours16}) {
        printRow(*series, libcsv);
    }
    std::printf("%-48s %9s %9s %9s\n", "", "", "", "vs Python");
    for (const Series* series : {&pyWrite, &ourWrite}) {
        printRow(*series, pyWrite);
    }
    std::printf("writers: the first %zu rows written %d times (%.1f MB)\n", writeRows, writeRepeat,
                megabytes(ourWrite.bytes));
    std::printf("memory: peak RSS grew by %ld KiB while CSVReader read all %.1f MB "
                "(input buffer %zu bytes)\n",
                peakGrowth, megabytes(files.utf8Bytes), csv::CSVReader::bufferSize);

    std::printf("memory: peak RSS grew by %ld KiB while CSVReader read %.1f MB of delimiters "
                "keeping the first field (%zu rows, %zu fields kept)\n",
                floodGrowth, megabytes(floodBytes), floodPass.rows, floodPass.fields);

    const double readRatio = libcsv.median() / ours.median();
    Goals::print("csv-read-vs-libcsv", Goals::format("%.2fx", readRatio), "1.00x",
                 readRatio >= 1.0);
    const double writeRatio =
        pyWrite.median() / ourWrite.median() *
        (static_cast<double>(ourWrite.bytes) / static_cast<double>(pyWrite.bytes));
    Goals::print("csv-write-vs-python", Goals::format("%.2fx", writeRatio), "3.00x",
                 writeRatio >= 3.0);
    const double wideRatio = ours.median() / ours16.median();
    Goals::print("csv-utf16-vs-utf8", Goals::format("%.2fx", wideRatio), "0.50x", wideRatio >= 0.5);
    const double floodRatio =
        static_cast<double>(floodGrowth) * 1024 / static_cast<double>(floodBytes);
    Goals::print("csv-delimiter-flood-memory", Goals::format("%.2fx", floodRatio), "3.00x",
                 floodRatio <= 3.0);
    return 0;
}

} // namespace

int main() {
    try {
        return run();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_csv: %s\n", error.what());
        return 1;
    }
}
