#pragma once

#include <exception>
#include <functional>
#include <system_error>

namespace csv {

// Every failure of the CSV module. Only streamErrorHasOccurred carries a value: the error the
// stream itself reported.
class CSVError : public std::exception {
public:
    enum class Kind {
        streamErrorHasOccurred,
        cannotOpenFile,
        cannotReadFile,
        cannotWriteStream,
        unicodeDecoding,
        cannotReadHeaderRow,
        stringEncodingMismatch,
        stringEndianMismatch,
    };

    // For every kind but streamErrorHasOccurred, which is made by streamErrorHasOccurred().
    explicit CSVError(Kind kind) noexcept
        : kind_(kind) {}
    static CSVError streamErrorHasOccurred(std::error_code error) noexcept;

    Kind kind() const noexcept { return kind_; }
    // The stream's own error; empty unless kind() is streamErrorHasOccurred.
    std::error_code streamError() const noexcept { return streamError_; }
    // The kind's name, e.g. "cannotOpenFile".
    const char* what() const noexcept override;

    friend bool operator==(const CSVError& a, const CSVError& b) noexcept {
        return a.kind_ == b.kind_ && a.streamError_ == b.streamError_;
    }

private:
    Kind kind_;
    std::error_code streamError_;
};

const char* toString(CSVError::Kind kind) noexcept;

// Where the iterators of the reading chain report the error that ended their sequence.
using ErrorHandler = std::function<void(const CSVError&)>;

} // namespace csv
