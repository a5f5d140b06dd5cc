#include "CsvBenchRunners.h"

#include "CSV/CSVWriter.h"
#include "CSV/FileStreams.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Runs a command and returns the numbers of the one line it prints.
std::vector<double> numbersFrom(const std::string& line) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> pipe(popen(line.c_str(), "r"), pclose);
    if (!pipe) {
        throw std::runtime_error("cannot run " + line);
    }
    char output[256] = {};
    if (!std::fgets(output, sizeof output, pipe.get())) {
        throw std::runtime_error("no output from " + line);
    }
    std::istringstream in(output);
    std::vector<double> numbers;
    for (double n; in >> n;) {
        numbers.push_back(n);
    }
    return numbers;
}

// Built by appending: GCC 12 warns falsely (-Wrestrict) about "'" + std::string at -O3.
std::string command(std::initializer_list<std::string> words) {
    std::string line;
    for (const std::string& word : words) {
        line += line.empty() ? "" : " ";
        line += word;
    }
    return line;
}

std::string quoted(const std::filesystem::path& path) {
    std::string text(1, '\'');
    text += path.string();
    text += '\'';
    return text;
}

ReadPass peerPass(const std::string& line) {
    const std::vector<double> n = numbersFrom(line);
    if (n.size() != 4) {
        throw std::runtime_error("unexpected output from " + line);
    }
    return {n[3], static_cast<std::size_t>(n[0]), static_cast<std::size_t>(n[1])};
}

ReadPass consume(csv::CSVReader& reader, Clock::time_point start) {
    ReadPass pass;
    std::size_t bytes = 0;
    for (const csv::Row& row : reader) {
        ++pass.rows;
        pass.fields += row.size();
        for (const std::string& field : row) {
            bytes += field.size();
        }
    }
    benchmark::DoNotOptimize(bytes);
    pass.seconds = since(start);
    if (reader.error()) {
        throw std::runtime_error(std::string("CSVReader: ") + reader.error()->what());
    }
    return pass;
}

} // namespace

ReadPass countLineFeeds(const std::filesystem::path& file) {
    const auto start = Clock::now();
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(file.c_str(), "rb"), std::fclose);
    static char buffer[65536];
    ReadPass pass;
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in.get())) > 0;) {
        for (const char* p = buffer; (p = static_cast<const char*>(std::memchr(
                                          p, '\n', n - static_cast<std::size_t>(p - buffer))));
             ++p) {
            ++pass.rows;
        }
    }
    pass.seconds = since(start);
    return pass;
}

ReadPass readWithCSVReader(const std::filesystem::path& file) {
    const auto start = Clock::now();
    csv::CSVReader reader(std::make_shared<csv::FileInputStream>(file));
    return consume(reader, start);
}

ReadPass readWithCSVReaderUTF16LE(const std::filesystem::path& file) {
    const auto start = Clock::now();
    csv::CSVReader reader(std::make_shared<csv::FileInputStream>(file), csv::UTF16{},
                          csv::Endian::little);
    return consume(reader, start);
}

ReadPass readFirstFieldsWithCSVReader(const std::filesystem::path& file) {
    const auto start = Clock::now();
    csv::CSVReader reader(std::make_shared<csv::FileInputStream>(file), {.maxFieldsKept = 1});
    return consume(reader, start);
}

ReadPass readWithLibcsv(const std::filesystem::path& file) {
    return peerPass(command({quoted(CSV_BENCH_LIBCSV), quoted(file)}));
}

ReadPass readWithPython(const std::filesystem::path& file) {
    return peerPass(command({"python3", quoted(CSV_BENCH_PYTHON), "read", quoted(file)}));
}

std::vector<csv::Row> loadRows(const std::filesystem::path& file, std::size_t count) {
    csv::CSVReader reader(std::make_shared<csv::FileInputStream>(file));
    std::vector<csv::Row> rows;
    for (const csv::Row& row : reader) {
        if (rows.size() == count) {
            break;
        }
        rows.push_back(row);
    }
    return rows;
}

WritePass writeWithCSVWriter(const std::vector<csv::Row>& rows, int repeat,
                             const std::filesystem::path& out) {
    const auto start = Clock::now();
    auto stream = std::make_shared<csv::FileOutputStream>(out);
    {
        csv::CSVWriter writer(stream);
        for (int i = 0; i < repeat; ++i) {
            for (const csv::Row& row : rows) {
                writer.writeRow(row);
            }
        }
        stream->close();
    }
    const double seconds = since(start);
    if (stream->status() != csv::StreamStatus::closed) {
        throw std::runtime_error("CSVWriter: the output could not be written");
    }
    return {seconds, std::filesystem::file_size(out)};
}

WritePass writeWithPython(const std::filesystem::path& file, std::size_t count, int repeat,
                          const std::filesystem::path& out) {
    const std::vector<double> n =
        numbersFrom(command({"python3", quoted(CSV_BENCH_PYTHON), "write", quoted(file),
                             quoted(out), std::to_string(count), std::to_string(repeat)}));
    if (n.size() != 2) {
        throw std::runtime_error("unexpected output from the Python writer");
    }
    return {n[1], static_cast<std::uintmax_t>(n[0])};
}

long peakMemoryKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

void resetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}
