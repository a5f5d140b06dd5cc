#pragma once

#include "CSV/DateFormatter.h"
#include "CSV/DecodedTypes.h"

#include <any>
#include <functional>
#include <map>
#include <string>
#include <variant>

namespace csv {

// The cases of the row decoder's strategies; the first case of each strategy is its default.
namespace strategy {
struct Default {};               // Bool: exactly "true" or "false"
struct DeferredToDate {};        // Date: decoded as a Double of seconds since 2001-01-01 UTC
struct SecondsSince1970 {};      // Date: a Double of seconds since 1970-01-01 UTC
struct MillisecondsSince1970 {}; // Date: a Double of milliseconds since 1970-01-01 UTC
struct ISO8601 {};               // Date: e.g. 2024-05-17T10:22:31Z or ...+01:00
struct Formatted {               // Date: as the formatter reads it
    DateFormatter formatter;
};
struct Base64 {}; // Data: RFC 4648 Base64
struct Empty {};  // Nil: a field is null when its text is empty
// Any: a conversion of the field's text, which may throw (a DecodingError, for instance).
template <class Result> struct Custom { std::function<Result(const std::string& text)> convert; };
} // namespace strategy

using BoolDecodingStrategy = std::variant<strategy::Default, strategy::Custom<bool>>;
using DateDecodingStrategy = std::variant<strategy::DeferredToDate, strategy::SecondsSince1970,
                                          strategy::MillisecondsSince1970, strategy::ISO8601,
                                          strategy::Formatted, strategy::Custom<TimePoint>>;
using DataDecodingStrategy = std::variant<strategy::Base64, strategy::Custom<Bytes>>;
// The custom case answers whether the text means null.
using NilDecodingStrategy = std::variant<strategy::Empty, strategy::Custom<bool>>;

// Values a caller hands through the decoder to the record types.
using UserInfo = std::map<std::string, std::any>;

struct DecodingOptions {
    BoolDecodingStrategy boolDecodingStrategy;
    DateDecodingStrategy dateDecodingStrategy;
    DataDecodingStrategy dataDecodingStrategy;
    NilDecodingStrategy nilDecodingStrategy;
    UserInfo userInfo;
};

} // namespace csv
