#pragma once

// What the CSV module's tests share: readable values in failure messages, reading helpers, text
// in other encodings, and random text.
#include "CSV/CSVReader.h"
#include "CSV/MemoryStreams.h"
#include "CSV/Utf8Text.h"

#include <algorithm>
#include <functional>
#include <ostream>
#include <random>

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

namespace test {

using Rows = std::vector<Row>;
using Configuration = CSVReader::Configuration;

// The kind of the CSVError the action throws, if it throws one.
inline std::optional<CSVError::Kind> kindThrown(const std::function<void()>& action) {
    try {
        action();
    } catch (const CSVError& error) {
        return error.kind();
    }
    return std::nullopt;
}

inline std::shared_ptr<MemoryInputStream> memory(std::string bytes) {
    return std::make_shared<MemoryInputStream>(std::move(bytes));
}

inline Rows readRows(CSVReader& reader) {
    Rows rows;
    std::ranges::copy(reader, std::back_inserter(rows));
    return rows;
}

// The bytes of UTF-8 text in another encoding form.
template <class Codec> std::string encoded(std::string_view utf8, Endian endian) {
    std::string bytes;
    for (detail::ScalarCursor cursor(utf8); const auto scalar = cursor.next();) {
        Codec::encode(*scalar, [&](typename Codec::CodeUnit unit) {
            for (std::size_t i = 0; i < sizeof unit; ++i) {
                const std::size_t shift = endian == Endian::big ? sizeof unit - 1 - i : i;
                bytes.push_back(static_cast<char>(unit >> (8 * shift) & 0xFF));
            }
        });
    }
    return bytes;
}

// Random fields of Unicode text, biased towards what CSV treats specially.
class RandomText {
public:
    explicit RandomText(unsigned seed)
        : engine_(seed) {}

    std::string field(std::size_t maxLength) {
        static constexpr char32_t special[] = {U',',      U'"',      U'\n',        U'\r',
                                               U' ',      U'\t',     U';',         U'\u00E9',
                                               U'\u3000', U'\u65E5', U'\U0001F600'};
        std::string text;
        for (std::size_t length = pick(maxLength + 1); length > 0; --length) {
            const std::size_t kind = pick(4);
            char32_t c = kind == 0   ? special[pick(std::size(special))]
                         : kind == 1 ? U'a' + static_cast<char32_t>(pick(26))
                                     : static_cast<char32_t>(pick(maxScalar + 1));
            detail::appendScalar(text, isSurrogate(c) ? U'\uFFFD' : c);
        }
        return text;
    }

    Row row(std::size_t maxFields, std::size_t maxLength) {
        Row fields(1 + pick(maxFields));
        std::ranges::generate(fields, [&] { return field(maxLength); });
        return fields;
    }

private:
    std::size_t pick(std::size_t count) {
        return std::uniform_int_distribution<std::size_t>(0, count - 1)(engine_);
    }

    std::mt19937 engine_;
};

} // namespace test
} // namespace csv
