#include "CSV/DecodingError.h"

namespace csv {

DecodingError DecodingError::typeMismatch(std::string typeName, CodingPath path,
                                          std::string message) {
    DecodingError error(Kind::typeMismatch, std::move(path), std::move(message));
    error.typeName_ = std::move(typeName);
    return error;
}

DecodingError DecodingError::valueNotFound(std::string typeName, CodingPath path,
                                           std::string message) {
    DecodingError error(Kind::valueNotFound, std::move(path), std::move(message));
    error.typeName_ = std::move(typeName);
    return error;
}

DecodingError DecodingError::keyNotFound(CodingKey key, CodingPath path, std::string message) {
    DecodingError error(Kind::keyNotFound, std::move(path), std::move(message));
    error.key_ = std::move(key);
    return error;
}

DecodingError DecodingError::dataCorrupted(CodingPath path, std::string message) {
    return {Kind::dataCorrupted, std::move(path), std::move(message)};
}

} // namespace csv
