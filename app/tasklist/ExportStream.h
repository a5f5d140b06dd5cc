#pragma once

#include "CSV/Streams.h"

#include <QSaveFile>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

// The stream an export writes to. Nothing reaches the target until commit(), so a failed or
// abandoned export leaves whatever file was there before.
class ExportStream : public csv::OutputStream {
public:
    // After close(): puts the written file in place. False when anything failed on the way,
    // and then the target is as it was.
    virtual bool commit() = 0;
    // Why the last step failed, in words for the user.
    virtual QString errorString() const = 0;
};

// Writes to a temporary file beside `path` (QSaveFile) through a buffer of its own; each
// write to the file is checked, so a full disk is seen before the file is put in place.
class SaveFileStream final : public ExportStream {
public:
    static constexpr std::size_t bufferSize = 64 * 1024;

    explicit SaveFileStream(const QString& path);

    csv::StreamStatus status() const override { return status_; }
    void open() override;
    void close() override;
    std::error_code error() const override { return error_; }
    bool commit() override;
    QString errorString() const override { return reason_; }

private:
    std::ptrdiff_t writeThrough(const std::uint8_t* bytes, std::size_t length) override;
    bool flushBuffer();
    void fail();

    QSaveFile file_;
    std::vector<std::uint8_t> buffer_;
    csv::StreamStatus status_ = csv::StreamStatus::notOpen;
    std::error_code error_;
    QString reason_;
};

// What an export opens for its path.
std::unique_ptr<ExportStream> openSaveFile(const QString& path);
