#include "CSV/CSVError.h"

namespace csv {

CSVError CSVError::streamErrorHasOccurred(std::error_code error) noexcept {
    CSVError result(Kind::streamErrorHasOccurred);
    result.streamError_ = error;
    return result;
}

const char* CSVError::what() const noexcept {
    return toString(kind_);
}

const char* toString(CSVError::Kind kind) noexcept {
    switch (kind) {
    case CSVError::Kind::streamErrorHasOccurred:
        return "streamErrorHasOccurred";
    case CSVError::Kind::cannotOpenFile:
        return "cannotOpenFile";
    case CSVError::Kind::cannotReadFile:
        return "cannotReadFile";
    case CSVError::Kind::cannotWriteStream:
        return "cannotWriteStream";
    case CSVError::Kind::unicodeDecoding:
        return "unicodeDecoding";
    case CSVError::Kind::cannotReadHeaderRow:
        return "cannotReadHeaderRow";
    case CSVError::Kind::stringEncodingMismatch:
        return "stringEncodingMismatch";
    case CSVError::Kind::stringEndianMismatch:
        return "stringEndianMismatch";
    }
    return "unknown";
}

} // namespace csv
