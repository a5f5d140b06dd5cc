#include "tasklist/TaskCsv.h"

#include "CSV/CSVReader.h"
#include "CSV/CSVWriter.h"
#include "CSV/FileStreams.h"
#include "support/DateHelpers.h"
#include "support/Graphemes.h"
#include "tasklist/FormattedTask.h"
#include "tasklist/SaveFileStream.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

namespace TaskCsv {

namespace {

// A first field shorter than this (in user-perceived characters) on the first row is a header.
constexpr int headerLimit = 6;

// The export's header. A file that starts with it is read from its task column, so that an
// export imported back brings back its tasks, not its dates.
const std::vector<std::string> exportHeader{"Created", "Task", "Snoozed", "Done"};
constexpr std::size_t exportTaskColumn = 1;

QString readFailure(const csv::CSVError& error, const csv::InputStream& stream) {
    if (error.kind() == csv::CSVError::Kind::unicodeDecoding) {
        return QStringLiteral("The text is not valid UTF-8.");
    }
    const std::error_code code = error.streamError() ? error.streamError() : stream.error();
    return code ? QString::fromStdString(code.message())
                : QStringLiteral("The file could not be read (%1).")
                      .arg(QLatin1String(error.what()));
}

// Takes the rows of an import one at a time and merges them into the list.
class Merge {
public:
    Merge(std::vector<Task> tasks, const Clock& now)
        : tasks_(std::move(tasks))
        , now_(now) {
        firstByName_.reserve(static_cast<qsizetype>(tasks_.size()));
        for (std::size_t i = 0; i < tasks_.size(); ++i) {
            if (!firstByName_.contains(tasks_[i].name)) {
                firstByName_.insert(tasks_[i].name, i);
            }
        }
    }

    void addRow(const csv::Row& row) {
        const bool first = std::exchange(firstRow_, false);
        if (first && row.size() == exportTaskColumn + 1 &&
            std::equal(row.begin(), row.end(), exportHeader.begin())) {
            column_ = exportTaskColumn;
            return;
        }
        if (row.size() <= column_) {
            return;
        }
        // A byte-order mark that starts a later row (files joined together) is dropped like
        // the one at the start of the file, so a row of nothing else is an empty field.
        const QString text = QString::fromStdString(row[column_]);
        if (text.isEmpty() || (first && Graphemes::count(text) < headerLimit)) {
            return;
        }
        ++imported_;
        const auto found = firstByName_.constFind(text);
        if (found != firstByName_.constEnd()) {
            revive(tasks_[*found]);
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
        return {std::move(tasks_), imported_, std::move(stoppedBecause)};
    }

private:
    void revive(Task& task) const {
        task.created = now_();
        task.isSnoozed = false;
        task.snoozedUntil.reset();
        task.isDone = false;
        task.doneDate.reset();
    }

    std::vector<Task> tasks_;
    const Clock& now_;
    QHash<QString, std::size_t> firstByName_;
    bool firstRow_ = true;
    // Where a row's task text stands.
    std::size_t column_ = 0;
    int imported_ = 0;
};

// Refuses what cannot be read as a file of bounded size before anything is opened: a FIFO
// would block the open, a device or a huge file would fill the memory.
void checkImportable(const QFileInfo& file) {
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

} // namespace

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

ImportResult importFile(const QString& path, std::vector<Task> tasks, const Clock& now) {
    checkImportable(QFileInfo(path));
    const auto stream =
        std::make_shared<csv::FileInputStream>(QFile::encodeName(path).toStdString());
    csv::CSVReader::Configuration onlyTheText;
    // The rest of a row is read and dropped: a row of a million delimiters costs nothing.
    onlyTheText.maxFieldsKept = exportTaskColumn + 1;
    std::optional<csv::CSVReader> reader;
    try {
        reader.emplace(stream, onlyTheText);
    } catch (const csv::CSVError& error) {
        throw TransferError(readFailure(error, *stream));
    }
    Merge merge(std::move(tasks), now);
    while (const csv::Row* row = reader->next()) {
        merge.addRow(*row);
    }
    std::optional<QString> stopped;
    if (reader->error()) {
        stopped = readFailure(*reader->error(), *stream);
    }
    return std::move(merge).result(std::move(stopped));
}

} // namespace TaskCsv
