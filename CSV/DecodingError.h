#pragma once

#include "CSV/CodingKey.h"

#include <exception>
#include <optional>
#include <string>

namespace csv {

// A failure to decode a row into a record: the kind, where it happened (the coding path) and a
// message. Type mismatches and missing values name the type; a missing key names the key.
class DecodingError : public std::exception {
public:
    enum class Kind { typeMismatch, valueNotFound, keyNotFound, dataCorrupted };

    static DecodingError typeMismatch(std::string typeName, CodingPath path, std::string message);
    static DecodingError valueNotFound(std::string typeName, CodingPath path, std::string message);
    static DecodingError keyNotFound(CodingKey key, CodingPath path, std::string message);
    static DecodingError dataCorrupted(CodingPath path, std::string message);

    Kind kind() const { return kind_; }
    const CodingPath& codingPath() const { return codingPath_; }
    const std::string& debugDescription() const { return debugDescription_; }
    // The type expected, for typeMismatch and valueNotFound; otherwise empty.
    const std::string& typeName() const { return typeName_; }
    // The key missing, for keyNotFound.
    const std::optional<CodingKey>& key() const { return key_; }
    const char* what() const noexcept override { return debugDescription_.c_str(); }

private:
    DecodingError(Kind kind, CodingPath path, std::string message)
        : kind_(kind)
        , codingPath_(std::move(path))
        , debugDescription_(std::move(message)) {}

    Kind kind_;
    CodingPath codingPath_;
    std::string debugDescription_;
    std::string typeName_;
    std::optional<CodingKey> key_;
};

} // namespace csv
