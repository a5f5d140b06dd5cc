#include "tasklist/ImportSample.h"

#include "CSV/MemoryStreams.h"
#include "support/Utf8.h"
#include "tasklist/ImportReader.h"
#include "tasklist/TaskCsv.h"

#include <QFile>

#include <algorithm>

namespace {

// Rows looked at to tell the delimiter.
constexpr std::size_t detectionRows = 20;

} // namespace

ImportSample::ImportSample(const QString& path) {
    TaskCsv::checkImportable(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw TaskCsv::TransferError(file.errorString());
    }
    bytes_ = file.read(maxBytes);
    if (file.error() != QFileDevice::NoError) {
        throw TaskCsv::TransferError(file.errorString());
    }
    cut_ = !file.atEnd();
}

QList<QStringList> ImportSample::rows(char32_t delimiter, std::size_t count) const {
    csv::CSVReader::Configuration configuration;
    configuration.delimiter = delimiter;
    configuration.maxFieldsKept = maxFields;
    TaskCsv::ImportReader reader(std::make_shared<csv::MemoryInputStream>(bytes_.toStdString()),
                                 TaskCsv::encodingOf(bytes_), configuration);
    QList<QStringList> rows;
    // One more than asked, to know whether the last one asked for is whole.
    while (static_cast<std::size_t>(rows.size()) <= count) {
        const csv::Row* row = reader.next();
        if (!row) {
            if (cut_ && rows.size() > 1) {
                rows.removeLast();
            }
            break;
        }
        QStringList& fields = rows.emplace_back();
        for (const std::string& field : *row) {
            fields.append(utf8Text(field));
        }
    }
    if (static_cast<std::size_t>(rows.size()) > count) {
        rows.removeLast();
    }
    return rows;
}

TaskCsv::ImportFormat ImportSample::suggestedFormat(char32_t delimiter) const {
    const TaskCsv::TaskColumn column =
        TaskCsv::taskColumn(rows(delimiter, 1).value(0), {delimiter, {}, {}});
    return {delimiter, column.index, column.firstRowIsHeader};
}

std::optional<char32_t> ImportSample::detectedDelimiter() const {
    std::optional<char32_t> best;
    qsizetype bestFields = 1;
    for (const char32_t delimiter : TaskCsv::importDelimiters) {
        QList<QStringList> sample = rows(delimiter, detectionRows);
        // Blank lines say nothing about the delimiter.
        sample.removeIf([](const QStringList& r) { return r.size() == 1 && r.front().isEmpty(); });
        if (sample.isEmpty()) {
            return std::nullopt;
        }
        const qsizetype fields = sample.front().size();
        const bool even = std::all_of(sample.begin(), sample.end(), [fields](const QStringList& r) {
            return r.size() == fields;
        });
        if (even && fields > bestFields) {
            best = delimiter;
            bestFields = fields;
        }
    }
    return best;
}
