#pragma once

#include "CSV/CSVError.h"
#include "CSV/Streams.h"

#include <ostream>

// Readable CSV module values in failure messages.
namespace csv {

inline void PrintTo(CSVError::Kind kind, std::ostream* os) {
    *os << toString(kind);
}
inline void PrintTo(const CSVError& error, std::ostream* os) {
    *os << error.what();
    if (error.streamError()) {
        *os << " (" << error.streamError().message() << ")";
    }
}
inline void PrintTo(StreamStatus status, std::ostream* os) {
    constexpr const char* names[] = {"notOpen", "open", "atEnd", "closed", "error"};
    *os << names[static_cast<int>(status)];
}

} // namespace csv
