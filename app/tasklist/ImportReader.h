#pragma once

#include "CSV/CSVReader.h"

#include <QByteArrayView>
#include <QString>

#include <memory>
#include <optional>

namespace TaskCsv {

// The encoding forms an import reads.
enum class Encoding { utf8, utf16, utf32 };

// The form a byte-order mark at the start names (UTF-32's marks first, as the CSV module
// reads them); UTF-8 without one.
Encoding encodingOf(QByteArrayView start);

// The rows of an import's input in its encoding; a byte-order mark is skipped only at the very
// start. Stays where it was built (the reader refers to itself).
class ImportReader {
public:
    // Throws TransferError when the input cannot be read at all.
    ImportReader(std::shared_ptr<csv::InputStream> stream, Encoding encoding,
                 const csv::CSVReader::Configuration& configuration);
    ImportReader(const ImportReader&) = delete;
    ImportReader& operator=(const ImportReader&) = delete;

    // The next row, or nullptr at the end or after a failure.
    const csv::Row* next() { return reader_->next(); }
    // Why the rows ended before the end of the input, when they did.
    std::optional<QString> stoppedBecause() const;

private:
    QString failure(const csv::CSVError& error) const;

    std::shared_ptr<csv::InputStream> stream_;
    Encoding encoding_;
    std::optional<csv::CSVReader> reader_;
};

} // namespace TaskCsv
