#pragma once

#include "CSVReader.h"

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

inline CSVReader::Configuration trimmed() {
    CSVReader::Configuration configuration;
    configuration.trimFields = true;
    return configuration;
}

} // namespace csv::test
