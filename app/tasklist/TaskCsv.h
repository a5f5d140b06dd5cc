#pragma once

#include "store/Models.h"
#include "support/Clock.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <vector>

// The task list's CSV files: the four-column export and the import of first fields (or of
// the task column of an export).
namespace TaskCsv {

// An export or import that could not be done; `reason` is for the user.
class TransferError : public std::runtime_error {
public:
    explicit TransferError(QString reason)
        : std::runtime_error(reason.toStdString())
        , reason_(std::move(reason)) {}
    const QString& reason() const { return reason_; }

private:
    QString reason_;
};

// Larger import files are refused: reading one would take too much memory.
constexpr std::int64_t maxImportBytes = std::int64_t{512} * 1024 * 1024;

// Writes a header ("Created", "Task", "Snoozed", "Done") and one row per task, in the given
// order, to the file at `path` as UTF-8 with LF between rows; the task's text is always quoted.
// The file is put in place only when all of it was written. Throws TransferError.
void exportTasks(const QString& path, const std::vector<Task>& tasks);

struct ImportResult {
    // The list with the file's rows merged in.
    std::vector<Task> tasks;
    // Rows that revived or added a task.
    int importedRows = 0;
    // Why reading ended before the end of the file, when it did.
    std::optional<QString> stoppedBecause;
};

// Merges the first field of every row of the file at `path` into `tasks` (in table order), or
// the "Task" field of every row of a file that starts with the export's header: the first row
// is a header when its first field has fewer than 6 characters; a text equal to
// a task's revives the first such task; any other text becomes a new task. `now` is read for
// every row. Throws TransferError when the file cannot be read at all.
ImportResult importFile(const QString& path, std::vector<Task> tasks, const Clock& now);

} // namespace TaskCsv
