#pragma once

#include "tasklist/TaskCsv.h"

#include <QString>

#include <optional>

class QWidget;

// Shows the first rows of the file at `path` as an import would turn them into tasks, and asks
// what separates the fields, which column holds the task and whether the first row is a header.
// Accepted as it opens, it reads the file as an import without it does. Nothing when the user
// cancels. Throws TaskCsv::TransferError when the file cannot be read.
std::optional<TaskCsv::ImportFormat> runImportPreview(QWidget* parent, const QString& path);
