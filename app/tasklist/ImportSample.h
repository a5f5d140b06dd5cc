#pragma once

#include "tasklist/TaskCsv.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <optional>

// The start of a file to import, for its preview: the first rows as a delimiter splits them,
// and the delimiter that fits the file.
class ImportSample {
public:
    // At most this much of the file is read.
    static constexpr qint64 maxBytes = 64 * 1024;
    // Fields after these are not shown.
    static constexpr std::size_t maxFields = 50;

    // Reads the start of the file at `path`. Throws TaskCsv::TransferError when it cannot, or
    // when an import would refuse it.
    explicit ImportSample(const QString& path);

    // Up to `count` first rows as `delimiter` splits them, decoded as the import decodes them.
    // A row cut off by the end of the sample is left out unless it is the only one.
    QList<QStringList> rows(char32_t delimiter, std::size_t count) const;
    // The format an import with `delimiter` takes unless told otherwise: the column and the
    // header as the first row says (TaskCsv::taskColumn). With ',' it reads the file exactly as
    // an import given no format.
    TaskCsv::ImportFormat suggestedFormat(char32_t delimiter) const;
    // The offered delimiter that splits every one of the first rows into the same number of
    // fields, more than one (the most fields wins); nothing when none does.
    std::optional<char32_t> detectedDelimiter() const;

private:
    QByteArray bytes_;
    // The file goes on after the sample.
    bool cut_ = false;
};
