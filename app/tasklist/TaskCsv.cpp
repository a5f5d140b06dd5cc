#include "tasklist/TaskCsv.h"

#include "CSV/CSVWriter.h"
#include "CSV/FileStreams.h"
#include "support/DateHelpers.h"
#include "support/Graphemes.h"
#include "support/Utf8.h"
#include "tasklist/FormattedTask.h"
#include "tasklist/ImportReader.h"
#include "tasklist/SaveFileStream.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

namespace TaskCsv {

namespace {

// A text shorter than this (in user-perceived characters) on the first row is a header.
constexpr int headerLimit = 6;

// The export's header. A file that starts with it is read from its task column, so that an
// export imported back brings back its tasks, not its dates.
const std::vector<std::string> exportHeader{"Created", "Task", "Snoozed", "Done"};
constexpr std::size_t exportTaskColumn = 1;

bool isExportHeader(const QStringList& row) {
    return row.size() > qsizetype{exportTaskColumn} &&
           std::equal(row.begin(), row.begin() + exportTaskColumn + 1, exportHeader.begin(),
                      [](const QString& field, const std::string& name) {
                          return field ==
                                 QLatin1String(name.data(), static_cast<qsizetype>(name.size()));
                      });
}

// Takes the rows of an import one at a time and merges them into the list.
class Merge {
public:
    Merge(std::vector<Task> tasks, const Clock& now, const ImportFormat& format)
        : tasks_(std::move(tasks))
        , before_(tasks_.size())
        , revived_(tasks_.size(), false)
        , now_(now)
        , format_(format) {
        firstByName_.reserve(static_cast<qsizetype>(tasks_.size()));
        for (std::size_t i = 0; i < tasks_.size(); ++i) {
            if (!firstByName_.contains(tasks_[i].name)) {
                firstByName_.insert(tasks_[i].name, i);
            }
        }
    }

    void addRow(const csv::Row& row) {
        if (rowsRead_++ == 0) {
            QStringList first;
            for (const std::string& field : row) {
                first.append(utf8Text(field));
            }
            column_ = taskColumn(first, format_);
            if (column_.firstRowIsHeader) {
                return;
            }
        }
        if (row.size() <= column_.index) {
            return;
        }
        // Not QString::fromStdString: a U+FEFF that starts a later row's text is text.
        const QString text = utf8Text(row[column_.index]);
        if (text.isEmpty()) {
            return;
        }
        const auto found = firstByName_.constFind(text);
        if (found != firstByName_.constEnd()) {
            revive(*found);
            return;
        }
        Task task;
        task.id = QUuid::createUuid();
        task.name = text;
        task.created = now_();
        firstByName_.insert(text, tasks_.size());
        tasks_.push_back(std::move(task));
    }

    ImportResult result(std::optional<QString> stoppedBecause) && {
        const auto added = static_cast<int>(tasks_.size() - before_);
        const auto revived = static_cast<int>(std::count(revived_.begin(), revived_.end(), true));
        return {std::move(tasks_), rowsRead_, added, revived, std::move(stoppedBecause)};
    }

private:
    void revive(std::size_t index) {
        Task& task = tasks_[index];
        task.created = now_();
        task.isSnoozed = false;
        task.snoozedUntil.reset();
        task.isDone = false;
        task.doneDate.reset();
        if (index < before_) {
            revived_[index] = true;
        }
    }

    std::vector<Task> tasks_;
    const std::size_t before_;
    std::vector<bool> revived_;
    const Clock& now_;
    const ImportFormat format_;
    QHash<QString, std::size_t> firstByName_;
    int rowsRead_ = 0;
    TaskColumn column_;
};

// Enough of the start of a file to see its byte-order mark; nothing when it cannot be read,
// which the reader then says.
QByteArray firstBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(4) : QByteArray();
}

} // namespace

void checkImportable(const QString& path) {
    const QFileInfo file(path);
    if (!file.exists()) {
        throw TransferError(QStringLiteral("The file does not exist."));
    }
    if (!file.isFile()) {
        throw TransferError(QStringLiteral("It is not a regular file."));
    }
    if (file.size() > maxImportBytes) {
        throw TransferError(QStringLiteral("The file is larger than 512 MiB."));
    }
}

TaskColumn taskColumn(const QStringList& firstRow, const ImportFormat& format) {
    const bool exported = isExportHeader(firstRow);
    const std::size_t index = format.column.value_or(exported ? exportTaskColumn : 0);
    const QString text = index < static_cast<std::size_t>(firstRow.size())
                             ? firstRow[static_cast<qsizetype>(index)]
                             : QString();
    return {index, format.firstRowIsHeader.value_or(
                       exported || (!text.isEmpty() && Graphemes::count(text) < headerLimit))};
}

void exportTasks(const QString& path, const std::vector<Task>& tasks) {
    const auto out = std::make_shared<SaveFileStream>(path);
    // Only a file written to its end is put in place; the writer may close the stream anyway.
    bool complete = false;
    try {
        csv::CSVWriter writer(out, ",", csv::CSVWriter::Newline::lf);
        writer.writeRow(exportHeader);
        DateTexts dates;
        std::vector<std::string> row(4);
        const auto quoteTheText = [](std::size_t i) { return i == 1; };
        for (const Task& task : tasks) {
            row[0] = dates.displayDateISO8601(task.created).toStdString();
            row[1] = task.name.toStdString();
            row[2] = FormattedTask::isoText(task.snoozedUntil, dates).toStdString();
            row[3] = FormattedTask::isoText(task.doneDate, dates).toStdString();
            writer.writeRow(row, quoteTheText);
        }
        out->close();
        complete = out->status() == csv::StreamStatus::closed;
    } catch (const csv::CSVError&) {
        // The stream knows the reason; the writer only that a write fell short.
    }
    if (!complete || !out->commit()) {
        throw TransferError(out->errorString().isEmpty()
                                ? QStringLiteral("The file could not be written.")
                                : out->errorString());
    }
}

ImportResult importFile(const QString& path, std::vector<Task> tasks, const Clock& now,
                        const ImportFormat& format) {
    checkImportable(path);
    csv::CSVReader::Configuration configuration;
    configuration.delimiter = format.delimiter;
    // The rest of a row is read and dropped: a row of a million delimiters costs nothing. The
    // first two fields tell the export's header.
    configuration.maxFieldsKept = std::max(format.column.value_or(0), exportTaskColumn) + 1;
    ImportReader reader(
        std::make_shared<csv::FileInputStream>(QFile::encodeName(path).toStdString()),
        encodingOf(firstBytes(path)), configuration);
    Merge merge(std::move(tasks), now, format);
    while (const csv::Row* row = reader.next()) {
        merge.addRow(*row);
    }
    return std::move(merge).result(reader.stoppedBecause());
}

} // namespace TaskCsv
