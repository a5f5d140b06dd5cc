#pragma once

#include "CSV/Streams.h"

#include <QSaveFile>
#include <QString>

#include <cstdint>
#include <vector>

// The stream an export writes to: a temporary file beside `path` (QSaveFile), written through
// a buffer of its own with every write checked, and put in place only by commit(). A failed or
// abandoned export leaves whatever file was there before.
class SaveFileStream final : public csv::OutputStream {
public:
    static constexpr std::size_t bufferSize = 64 * 1024;

    explicit SaveFileStream(const QString& path);

    csv::StreamStatus status() const override { return status_; }
    void open() override;
    void close() override;
    std::error_code error() const override { return error_; }
    // After close(): puts the written file in place. False when anything failed on the way,
    // and then the target is as it was.
    bool commit();
    // Why the last step failed, in words for the user.
    QString errorString() const { return reason_; }

private:
    std::ptrdiff_t writeThrough(const std::uint8_t* bytes, std::size_t length) override;
    bool flushBuffer();
    bool writeAll(const std::uint8_t* bytes, std::size_t length);
    void fail();

    QSaveFile file_;
    std::vector<std::uint8_t> buffer_;
    csv::StreamStatus status_ = csv::StreamStatus::notOpen;
    std::error_code error_;
    QString reason_;
};
