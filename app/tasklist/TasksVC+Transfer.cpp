// Export to and import from CSV files, and what the user is told when either fails.
#include "support/Alert.h"
#include "support/Console.h"
#include "tasklist/TaskCsv.h"
#include "tasklist/TaskTableModel.h"
#include "tasklist/TasksVC.h"
#include "tasks/TaskBoard.h"

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
        TaskCsv::ImportResult result = TaskCsv::importFile(*path, model_->tasks(), env_.clock);
        commit([this, &result] { board_.replaceTasks(std::move(result.tasks)); });
        if (result.stoppedBecause) {
            warn(QStringLiteral("Only %1 %2 of \"%3\" could be imported: the rest could not be "
                                "read.")
                     .arg(result.importedRows)
                     .arg(result.importedRows == 1 ? QStringLiteral("row") : QStringLiteral("rows"))
                     .arg(*path),
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
