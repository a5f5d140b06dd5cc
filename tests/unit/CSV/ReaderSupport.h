#pragma once

#include "CSV/CSVReader.h"
#include "CSV/Utf8Text.h"

#include <string>
#include <vector>

namespace csv::test {

inline std::vector<Row> readRows(CSVReader& reader) {
    std::vector<Row> rows;
    for (const Row& row : reader) {
        rows.push_back(row);
    }
    return rows;
}

inline std::vector<Row>
rowsOf(std::string text,
       CSVReader::Configuration configuration = CSVReader::defaultConfiguration()) {
    CSVReader reader(std::move(text), std::move(configuration));
    return readRows(reader);
}

// A scalar source without the fast path, for the constructor that takes any iterator.
struct ScalarList {
    std::u32string scalars;
    std::size_t position = 0;
    std::optional<char32_t> next() {
        if (position == scalars.size()) {
            return std::nullopt;
        }
        return scalars[position++];
    }
};

inline std::u32string scalarsOf(std::string_view utf8) {
    std::u32string scalars;
    detail::ScalarCursor cursor(utf8);
    while (const auto scalar = cursor.next()) {
        scalars.push_back(*scalar);
    }
    return scalars;
}

// The bytes of UTF-8 text in another encoding form.
template <class Codec> std::string encoded(std::string_view utf8, Endian endian) {
    std::string bytes;
    for (const char32_t scalar : scalarsOf(utf8)) {
        Codec::encode(scalar, [&](typename Codec::CodeUnit unit) {
            for (std::size_t i = 0; i < sizeof unit; ++i) {
                const std::size_t shift = endian == Endian::big ? sizeof unit - 1 - i : i;
                bytes.push_back(static_cast<char>(unit >> (8 * shift) & 0xFF));
            }
        });
    }
    return bytes;
}

inline CSVReader::Configuration trimmed() {
    CSVReader::Configuration configuration;
    configuration.trimFields = true;
    return configuration;
}

} // namespace csv::test
