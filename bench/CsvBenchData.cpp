#include "CsvBenchData.h"

#include "CSV/UnicodeCodecs.h"
#include "CSV/Utf8Text.h"

#include <array>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File create(const std::filesystem::path& path) {
    File file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        throw std::runtime_error("cannot create " + path.string());
    }
    return file;
}

// xorshift64: the same file on every run, quickly.
class Random {
public:
    std::uint64_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }
    bool chance(unsigned percent) { return below(100) < percent; }

private:
    std::uint64_t state_ = 0x9E3779B97F4A7C15u;
};

template <std::size_t N> const char* pick(Random& random, const std::array<const char*, N>& texts) {
    return texts[random.below(N)];
}

constexpr std::array<const char*, 8> names{"alpha", "bravo",   "charlie", "delta",
                                           "echo",  "foxtrot", "golf",    "hotel"};
constexpr std::array<const char*, 4> notes{
    "Call the plumber about the sink", "Renew the passport before June",
    "Water the plants on the balcony", "Send the quarterly report"};
constexpr std::array<const char*, 3> quotedNotes{"\"Buy milk, eggs and bread\"",
                                                 "\"Pack: socks, shirts, charger\"",
                                                 "\"Ask Anna, Ben and Chris\""};
constexpr std::array<const char*, 6> international{
    "Caf\u00E9 cr\u00E8me br\u00FBl\u00E9e",
    "\u65E5\u672C\u8A9E\u306E\u30C6\u30AD\u30B9\u30C8",
    "\u00DCn\u00EFc\u00F6d\u00E9 fa\u00E7ade",
    "\u0413\u0440\u0443\u0437\u043E\u0432\u0438\u043A",
    "\U0001F600 emoji time",
    "\"Stra\u00DFe, Gr\u00F6\u00DFe\""};

std::string makeRow(Random& random, std::size_t id) {
    char fixed[96];
    std::snprintf(fixed, sizeof fixed, "%zu,%s%zu,2024-%02zu-%02zuT%02zu:%02zu:%02zuZ,%zu.%02zu,",
                  id, pick(random, names), random.below(1000), 1 + random.below(12),
                  1 + random.below(28), random.below(24), random.below(60), random.below(60),
                  random.below(100000), random.below(100));
    std::string row = fixed;
    row += random.chance(35) ? pick(random, quotedNotes) : pick(random, notes);
    row += random.chance(20) ? ",\"She said \"\"call me\"\" twice\"," : ",no quote here,";
    row += random.chance(10) ? "\"first line\nsecond line\"," : "single line text,";
    row += random.chance(25) ? pick(random, international) : "plain ascii";
    row += '\n';
    return row;
}

std::string utf16LE(const std::string& utf8) {
    std::string bytes;
    csv::detail::ScalarCursor scalars(utf8);
    while (const auto scalar = scalars.next()) {
        csv::UTF16::encode(*scalar, [&](std::uint16_t unit) {
            bytes.push_back(static_cast<char>(unit & 0xFF));
            bytes.push_back(static_cast<char>(unit >> 8));
        });
    }
    return bytes;
}

void write(std::FILE* file, const std::string& bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        throw std::runtime_error("cannot write the benchmark file");
    }
}

} // namespace

CsvBenchFiles generateCsvBenchFiles(const std::filesystem::path& utf8,
                                    const std::filesystem::path& utf16, std::uintmax_t size) {
    CsvBenchFiles files{utf8, utf16};
    const File out8 = create(utf8);
    const File out16 = create(utf16);
    Random random;
    std::string row = "id,name,created,amount,note,quote,lines,intl\n";
    while (files.utf8Bytes < size) {
        write(out8.get(), row);
        const std::string wide = utf16LE(row);
        write(out16.get(), wide);
        files.utf8Bytes += row.size();
        files.utf16Bytes += wide.size();
        ++files.rows;
        row = makeRow(random, files.rows);
    }
    return files;
}

std::uintmax_t generateDelimiterFlood(const std::filesystem::path& file, std::uintmax_t size) {
    const File out = create(file);
    const std::string row = std::string(size, ',') + "\nlast,row\n";
    write(out.get(), row);
    return row.size();
}
