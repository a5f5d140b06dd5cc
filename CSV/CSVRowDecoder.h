#pragma once

#include "CSV/CSVReader.h"
#include "CSV/Decoder.h"
#include "CSV/DecodingStrategies.h"

namespace csv {

// Decodes the current row of a CSVReader into a record type that decodes itself (see Decodable):
// fields by header name or position, converted by the strategies below.
class CSVRowDecoder {
public:
    using BoolDecodingStrategy = csv::BoolDecodingStrategy;
    using DateDecodingStrategy = csv::DateDecodingStrategy;
    using DataDecodingStrategy = csv::DataDecodingStrategy;
    using NilDecodingStrategy = csv::NilDecodingStrategy;

    BoolDecodingStrategy boolDecodingStrategy;
    DateDecodingStrategy dateDecodingStrategy;
    DataDecodingStrategy dataDecodingStrategy;
    NilDecodingStrategy nilDecodingStrategy;
    UserInfo userInfo;

    // Throws a DecodingError when the row does not decode.
    template <class T>
    requires FieldValue<T> || Decodable<T> T decode(const CSVReader& reader)
    const {
        Decoder decoder(reader, {boolDecodingStrategy, dateDecodingStrategy, dataDecodingStrategy,
                                 nilDecodingStrategy, userInfo});
        return decoder.decode<T>();
    }
};

} // namespace csv
