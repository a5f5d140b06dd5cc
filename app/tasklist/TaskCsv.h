#pragma once

#include "store/Models.h"
#include "support/Clock.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <vector>

// The task list's CSV files: the four-column export, and the import of one column of a file
// (the first, or the task column of an export, unless the user picks another).
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

// Refuses, before anything opens it, what cannot be imported: a missing file, one that is not
// a regular file (a FIFO would block the open) or one larger than maxImportBytes. Throws
// TransferError.
void checkImportable(const QString& path);

// Writes a header ("Created", "Task", "Snoozed", "Done") and one row per task, in the given
// order, to the file at `path` as UTF-8 with LF between rows; the task's text is always quoted.
// The file is put in place only when all of it was written. Throws TransferError.
void exportTasks(const QString& path, const std::vector<Task>& tasks);

// How an import reads a file: what separates its fields, which column holds the task, and
// whether the first row is a header. What is not chosen, the first row decides (taskColumn).
struct ImportFormat {
    char32_t delimiter = U',';
    // Counted from 0.
    std::optional<std::size_t> column;
    std::optional<bool> firstRowIsHeader;
};

// The delimiters an import offers, the default first.
inline constexpr std::array<char32_t, 4> importDelimiters{U',', U';', U'\t', U'|'};

// Where the task text stands, and whether the first row is a header rather than a task.
struct TaskColumn {
    std::size_t index = 0;
    bool firstRowIsHeader = false;
};

// What the format leaves open, the first row decides: a first row that is the export's header
// ("Created", "Task", …) is a header, and its "Task" the task column; otherwise the task is in
// the first column, and the first row is a header when its text there has fewer than 6
// characters.
TaskColumn taskColumn(const QStringList& firstRow, const ImportFormat& format);

struct ImportResult {
    // The list with the file's rows merged in.
    std::vector<Task> tasks;
    // Rows read, new tasks, and tasks of the list brought back (each once).
    int rowsRead = 0;
    int addedTasks = 0;
    int revivedTasks = 0;
    // Why reading ended before the end of the file, when it did.
    std::optional<QString> stoppedBecause;
};

// Merges the task text of every row of the file at `path` into `tasks` (in table order): a
// text equal to a task's revives the first such task; any other text becomes a new task; a
// header or an empty text adds nothing. The file is UTF-16 or UTF-32 when it starts with
// their byte-order mark, UTF-8 otherwise. `now` is read for every row. Throws TransferError
// when the file cannot be read at all.
ImportResult importFile(const QString& path, std::vector<Task> tasks, const Clock& now,
                        const ImportFormat& format = {});

} // namespace TaskCsv
