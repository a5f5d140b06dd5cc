// Arbitrary bytes through the CSV reader in every encoding, with and without a header row.
// Never a crash; every field is well-formed UTF-8; the fast paths read the same rows as the
// plain decoder; keeping only the first fields of each row cuts the same rows short; and for
// UTF-8 what was read writes and reads back the same.
#include "CSV/CSVReader.h"
#include "CSV/CSVWriter.h"
#include "CSV/MemoryStreams.h"
#include "CSV/UnicodeIterator.h"
#include "CSV/Utf8Text.h"
#include "Check.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using csv::CSVReader;
using csv::Endian;
using csv::Row;

bool startsWithMark(const std::string& bytes) {
    using namespace std::string_literals;
    for (const std::string& mark : {"\xEF\xBB\xBF"s, "\xFE\xFF"s, "\xFF\xFE"s, "\0\0\xFE\xFF"s}) {
        if (bytes.rfind(mark, 0) == 0) {
            return true;
        }
    }
    return false;
}

struct Outcome {
    std::vector<Row> rows;
    bool failed = false;
};

// Reads every row; a reader that cannot be built (no header row, byte-order problems) reads none.
template <class Make> Outcome readAll(Make make) {
    Outcome outcome;
    try {
        CSVReader reader = make();
        for (const Row& row : reader) {
            for (const std::string& field : row) {
                check(csv::detail::isWellFormed(field));
            }
            outcome.rows.push_back(row);
        }
        outcome.failed = reader.error().has_value();
        check(reader.next() == nullptr);
    } catch (const csv::CSVError&) {
        outcome.failed = true;
    }
    return outcome;
}

// The scalars the plain decoder makes of the bytes, up to the first ill-formed sequence.
template <class Codec> std::u32string plainScalars(const std::string& bytes, Endian endian) {
    auto reader = std::make_shared<csv::BinaryReader>(
        std::make_shared<csv::MemoryInputStream>(bytes), endian, true, 7);
    csv::UnicodeIterator scalars(
        csv::BinaryReader::CodeUnitIterator<typename Codec::CodeUnit>(reader), Codec{});
    std::u32string result;
    for (const char32_t scalar : scalars) {
        result.push_back(scalar);
    }
    return result;
}

struct ScalarList {
    std::u32string scalars;
    std::size_t position = 0;
    std::optional<char32_t> next() {
        return position < scalars.size() ? std::optional(scalars[position++]) : std::nullopt;
    }
};

template <class Codec>
void compareWithPlainDecoder(const std::string& bytes, Endian endian,
                             const CSVReader::Configuration& configuration) {
    const Outcome fast = readAll([&] {
        auto stream = std::make_shared<csv::MemoryInputStream>(bytes);
        if constexpr (csv::ByteCodec<Codec>) {
            return CSVReader(stream, Codec{}, configuration);
        } else {
            return CSVReader(stream, Codec{}, endian, configuration);
        }
    });
    std::u32string scalars;
    try {
        scalars = plainScalars<Codec>(bytes, endian);
    } catch (const csv::CSVError&) {
        return;
    }
    CSVReader::Configuration plain = configuration;
    plain.whitespaces.erase(plain.delimiter);
    const Outcome slow = readAll([&] { return CSVReader(ScalarList{scalars}, plain); });
    check(fast.rows == slow.rows);
}

void compareKeptFields(const std::string& bytes, CSVReader::Configuration configuration,
                       const Outcome& whole, std::size_t kept) {
    configuration.maxFieldsKept = kept;
    const Outcome cut = readAll([&] { return CSVReader(bytes, configuration); });
    check(cut.failed == whole.failed && cut.rows.size() == whole.rows.size());
    for (std::size_t i = 0; i < cut.rows.size(); ++i) {
        const Row& row = whole.rows[i];
        check(cut.rows[i] == Row(row.begin(), row.begin() + std::min(kept, row.size())));
    }
}

void roundTrip(const std::vector<Row>& rows, const std::string& delimiter,
               const CSVReader::Configuration& configuration) {
    auto out = std::make_shared<csv::MemoryOutputStream>();
    {
        csv::CSVWriter writer(out, delimiter);
        for (const Row& row : rows) {
            writer.writeRow(row);
        }
    }
    std::vector<Row> expected = rows;
    // A last row of one empty field is written as nothing.
    if (!expected.empty() && expected.back() == Row{""}) {
        expected.pop_back();
    }
    CSVReader::Configuration noHeader = configuration;
    noHeader.hasHeaderRow = false;
    const Outcome again = readAll([&] { return CSVReader(out->data(), noHeader); });
    check(!again.failed && again.rows == expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    static const char32_t delimiters[] = {U',', U';', U'\t', U'|', U'\u00A7'};
    const std::uint8_t options = size > 0 ? data[0] : 0;
    const char32_t delimiter = delimiters[(options >> 1) % std::size(delimiters)];

    for (const bool header : {false, true}) {
        CSVReader::Configuration configuration;
        configuration.hasHeaderRow = header;
        configuration.trimFields = (options & 1) != 0;
        configuration.delimiter = delimiter;

        const Outcome stream = readAll([&] {
            return CSVReader(std::make_shared<csv::MemoryInputStream>(bytes), configuration);
        });
        const Outcome text = readAll([&] { return CSVReader(bytes, configuration); });
        compareKeptFields(bytes, configuration, text, (options >> 4) % 3);
        // The stream skips any byte-order mark at its start; the text keeps it.
        if (!startsWithMark(bytes)) {
            check(stream.rows == text.rows && stream.failed == text.failed);
        }
        compareWithPlainDecoder<csv::UTF8>(bytes, Endian::unknown, configuration);
        for (const Endian endian : {Endian::big, Endian::little, Endian::unknown}) {
            compareWithPlainDecoder<csv::UTF16>(bytes, endian, configuration);
            compareWithPlainDecoder<csv::UTF32>(bytes, endian, configuration);
        }
        if (!configuration.trimFields && !text.failed) {
            std::string delimiterText;
            csv::detail::appendScalar(delimiterText, delimiter);
            roundTrip(text.rows, delimiterText, configuration);
        }
    }
    return 0;
}
