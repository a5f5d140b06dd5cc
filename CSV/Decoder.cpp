#include "CSV/Decoder.h"

#include <variant>

namespace csv {

namespace {

template <class... Cases> struct Overloaded : Cases... { using Cases::operator()...; };
template <class... Cases> Overloaded(Cases...) -> Overloaded<Cases...>;

const std::string noNesting = "CSV does not support nested values";

} // namespace

std::vector<CodingKey> KeyedContainer::allKeys() const {
    const std::optional<Row>& header = decoder_->reader_.headerRow();
    return header ? std::vector<CodingKey>(header->begin(), header->end())
                  : std::vector<CodingKey>{};
}

bool KeyedContainer::contains(const CodingKey& key) const {
    return decoder_->contains(key);
}

bool KeyedContainer::decodeNil(const CodingKey& key) const {
    return decoder_->isNil(decoder_->field(key));
}

void KeyedContainer::nestedContainer(const CodingKey&) const {
    throw DecodingError::dataCorrupted(codingPath(), "nestedContainer(...) " + noNesting);
}

void KeyedContainer::nestedUnkeyedContainer(const CodingKey&) const {
    throw DecodingError::dataCorrupted(codingPath(), "nestedUnkeyedContainer(...) " + noNesting);
}

void KeyedContainer::superDecoder() const {
    throw DecodingError::dataCorrupted(codingPath(), noNesting);
}

void KeyedContainer::superDecoder(const CodingKey&) const {
    throw DecodingError::dataCorrupted(codingPath(), noNesting);
}

const CodingPath& KeyedContainer::codingPath() const {
    return decoder_->codingPath();
}

void Decoder::unkeyedContainer() const {
    throw DecodingError::valueNotFound(
        "UnkeyedDecodingContainer", codingPath_,
        "Cannot get unkeyed decoding container -- found null value instead.");
}

// A position counts when the current row reaches it; a name when the header has it and the
// current row reaches its column.
bool Decoder::contains(const CodingKey& key) const {
    const Row* row = reader_.currentRow();
    if (!row) {
        return false;
    }
    if (key.intValue) {
        return *key.intValue >= 0 && static_cast<std::size_t>(*key.intValue) < row->size();
    }
    return reader_.headerRow() && reader_[key.stringValue];
}

std::string_view Decoder::field(const CodingKey& key) const {
    if (!contains(key)) {
        throw DecodingError::keyNotFound(key, codingPath_,
                                         "No value associated with key " + key.description() +
                                             " (\"" + key.stringValue + "\").");
    }
    if (key.intValue) {
        return (*reader_.currentRow())[static_cast<std::size_t>(*key.intValue)];
    }
    return *reader_[key.stringValue];
}

std::string_view Decoder::singleValueField() const {
    if (codingPath_.empty()) {
        throw DecodingError::dataCorrupted(codingPath_,
                                           "A single value is a field: decode it through a key.");
    }
    return field(codingPath_.back());
}

bool Decoder::isNil(std::string_view text) const {
    return std::visit(Overloaded{[&](const strategy::Empty&) { return text.empty(); },
                                 [&](const strategy::Custom<bool>& isNull) {
                                     return isNull.convert(std::string(text));
                                 }},
                      options_.nilDecodingStrategy);
}

bool Decoder::convertBool(std::string_view text) const {
    return std::visit(Overloaded{[&](const strategy::Default&) {
                                     const std::optional<bool> value = detail::parseBool(text);
                                     if (!value) {
                                         typeMismatch(typeName<bool>(), text);
                                     }
                                     return *value;
                                 },
                                 [&](const strategy::Custom<bool>& custom) {
                                     return custom.convert(std::string(text));
                                 }},
                      options_.boolDecodingStrategy);
}

TimePoint Decoder::convertDate(std::string_view text) {
    using namespace std::chrono;
    using Seconds = duration<double>;
    return std::visit(
        Overloaded{
            // The date decodes itself: a Double of seconds since the 2001 reference date.
            [&](const strategy::DeferredToDate&) {
                return TimePoint(sys_days(2001y / January / 1)) + Seconds(convert<double>(text));
            },
            [&](const strategy::SecondsSince1970&) {
                return TimePoint(Seconds(convert<double>(text)));
            },
            [&](const strategy::MillisecondsSince1970&) {
                return TimePoint(Seconds(convert<double>(text) / 1000.0));
            },
            [&](const strategy::ISO8601&) {
                const std::optional<TimePoint> date = detail::parseISO8601(text);
                if (!date) {
                    dataCorrupted("Expected date string to be ISO8601-formatted.");
                }
                return *date;
            },
            [&](const strategy::Formatted& formatted) {
                const std::optional<TimePoint> date = formatted.formatter.date(std::string(text));
                if (!date) {
                    dataCorrupted("Date string does not match format expected by formatter.");
                }
                return *date;
            },
            [&](const strategy::Custom<TimePoint>& custom) {
                return custom.convert(std::string(text));
            }},
        options_.dateDecodingStrategy);
}

Bytes Decoder::convertData(std::string_view text) const {
    return std::visit(Overloaded{[&](const strategy::Base64&) {
                                     std::optional<Bytes> bytes = detail::decodeBase64(text);
                                     if (!bytes) {
                                         dataCorrupted("Encountered Data is not valid Base64.");
                                     }
                                     return std::move(*bytes);
                                 },
                                 [&](const strategy::Custom<Bytes>& custom) {
                                     return custom.convert(std::string(text));
                                 }},
                      options_.dataDecodingStrategy);
}

URL Decoder::convertURL(std::string_view text) const {
    std::optional<URL> url = URL::parse(text);
    if (!url) {
        dataCorrupted("Invalid URL string.");
    }
    return std::move(*url);
}

Decimal Decoder::convertDecimal(std::string_view text) const {
    std::optional<Decimal> decimal = Decimal::parse(text);
    if (!decimal) {
        dataCorrupted("Invalid Decimal string.");
    }
    return std::move(*decimal);
}

void Decoder::typeMismatch(const std::string& type, std::string_view text) const {
    throw DecodingError::typeMismatch(type, codingPath_,
                                      "Expected to decode " + type + " but found " +
                                          std::string(text) + " instead.");
}

void Decoder::dataCorrupted(const std::string& message) const {
    throw DecodingError::dataCorrupted(codingPath_, message);
}

} // namespace csv
