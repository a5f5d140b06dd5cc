// Export to and import from CSV files, and what the user is told when either fails.
#include "support/Console.h"
#include "tasklist/TaskCsv.h"
#include "tasklist/TaskTableModel.h"
#include "tasklist/TasksVC.h"
#include "tasks/TaskBoard.h"
#include "ui/Alert.h"

namespace {

QString counted(int count, const char* one, const char* many) {
    return QString::number(count) + u' ' + QLatin1String(count == 1 ? one : many);
}

} // namespace

void TasksVC::exportAction() {
    const std::optional<QString> path = env_.dialogs->saveFile(
        this, {QStringLiteral("Choose Export Filename"), {QStringLiteral("csv")}});
    if (!path) {
        return;
    }
    Console::printLine("Selected file:", *path);
    try {
        TaskCsv::exportTasks(*path, model_->tasks());
    } catch (const TaskCsv::TransferError& error) {
        warn(QStringLiteral("The tasks could not be exported to \"%1\".").arg(*path),
             error.reason());
    }
}

void TasksVC::importAction() {
    const std::optional<QString> path =
        env_.dialogs->openFile(this, {QStringLiteral("Choose Import Filename"),
                                      {QStringLiteral("csv"), QStringLiteral("txt")}});
    if (!path) {
        return;
    }
    Console::printLine("Selected file:", *path);
    try {
        const std::optional<TaskCsv::ImportFormat> format = env_.importFormat(this, *path);
        if (!format) {
            return;
        }
        TaskCsv::ImportResult result =
            TaskCsv::importFile(*path, model_->tasks(), env_.clock, *format);
        commit([this, &result] { board_.replaceTasks(std::move(result.tasks)); });
        if (result.stoppedBecause) {
            warn(QStringLiteral("Only the first %1 of \"%2\" could be read (%3 added, %4 brought "
                                "back).")
                     .arg(counted(result.rowsRead, "row", "rows"), *path,
                          counted(result.addedTasks, "task", "tasks"),
                          QString::number(result.revivedTasks)),
                 *result.stoppedBecause);
        }
    } catch (const TaskCsv::TransferError& error) {
        warn(QStringLiteral("\"%1\" could not be imported.").arg(*path), error.reason());
    }
}

void TasksVC::warn(const QString& message, const QString& reason) {
    Console::printLine(message, reason);
    runAlert(this, message, reason, {QStringLiteral("OK")});
}
