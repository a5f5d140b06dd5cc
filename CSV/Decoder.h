#pragma once

#include "CSV/CSVReader.h"
#include "CSV/CodingKey.h"
#include "CSV/Decimal.h"
#include "CSV/DecodedTypes.h"
#include "CSV/DecodingError.h"
#include "CSV/DecodingStrategies.h"
#include "CSV/TextConversions.h"
#include "CSV/URL.h"

#include <concepts>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace csv {

class Decoder;

// A record type decodes itself: static T decode(csv::Decoder&), reading its fields from
// decoder.container() (by header name or position) or, for a single value, from the decoder.
template <class T>
concept Decodable = requires(Decoder& decoder) {
    { T::decode(decoder) } -> std::same_as<T>;
};

// The value types a field's text converts to.
template <class T>
concept FieldValue = std::same_as<T, std::string> || std::same_as<T, bool> ||
                     std::same_as<T, float> || std::same_as<T, double> ||
                     (std::integral<T> && !std::same_as<T, bool>) ||
                     std::same_as<T, TimePoint> || std::same_as<T, Bytes> || std::same_as<T, URL> ||
                     std::same_as<T, Decimal>;

// The names decoding errors give the field value types, e.g. "Int32", "Date".
template <FieldValue T> std::string typeName() {
    if constexpr (std::same_as<T, std::string>) {
        return "String";
    } else if constexpr (std::same_as<T, bool>) {
        return "Bool";
    } else if constexpr (std::same_as<T, float>) {
        return "Float";
    } else if constexpr (std::same_as<T, double>) {
        return "Double";
    } else if constexpr (std::integral<T>) {
        return (std::is_signed_v<T> ? "Int" : "UInt") + std::to_string(8 * sizeof(T));
    } else if constexpr (std::same_as<T, TimePoint>) {
        return "Date";
    } else if constexpr (std::same_as<T, Bytes>) {
        return "Data";
    } else if constexpr (std::same_as<T, URL>) {
        return "URL";
    } else {
        return "Decimal";
    }
}

// The fields of the current row by key. A CSV row is flat: nested containers always fail.
class KeyedContainer {
public:
    // Every header name; none without a header row.
    std::vector<CodingKey> allKeys() const;
    // Whether the current row has a field for the key.
    bool contains(const CodingKey& key) const;
    bool decodeNil(const CodingKey& key) const;
    template <class T>
    requires FieldValue<T> || Decodable<T> T decode(const CodingKey& key);
    // Nothing when the row has no field for the key or the field is null.
    template <class T>
    requires FieldValue<T> || Decodable<T> std::optional<T> decodeIfPresent(const CodingKey& key) {
        if (!contains(key) || decodeNil(key)) {
            return std::nullopt;
        }
        return decode<T>(key);
    }

    [[noreturn]] void nestedContainer(const CodingKey& key) const;
    [[noreturn]] void nestedUnkeyedContainer(const CodingKey& key) const;
    [[noreturn]] void superDecoder() const;
    [[noreturn]] void superDecoder(const CodingKey& key) const;

    const CodingPath& codingPath() const;

private:
    friend class Decoder;
    explicit KeyedContainer(Decoder& decoder)
        : decoder_(&decoder) {}

    Decoder* decoder_;
};

// What a record type decodes itself from: one row of a CSVReader. It is also the single-value
// container, whose field is the one named by the last key of the coding path.
class Decoder {
public:
    Decoder(const CSVReader& reader, DecodingOptions options)
        : reader_(reader)
        , options_(std::move(options)) {}

    KeyedContainer container() { return KeyedContainer(*this); }
    [[noreturn]] void unkeyedContainer() const;
    Decoder& singleValueContainer() { return *this; }
    const CodingPath& codingPath() const { return codingPath_; }
    const UserInfo& userInfo() const { return options_.userInfo; }

    bool decodeNil() const { return isNil(singleValueField()); }
    template <class T>
    requires FieldValue<T> || Decodable<T> T decode() {
        if constexpr (Decodable<T>) {
            return T::decode(*this);
        } else {
            const std::string_view text = singleValueField();
            if (isNil(text)) {
                throw DecodingError::valueNotFound(typeName<T>(), codingPath_,
                                                   "Expected " + typeName<T>() +
                                                       " but found null value instead.");
            }
            return convert<T>(text);
        }
    }

private:
    friend class KeyedContainer;

    // Keeps a key on the coding path while its field is decoded.
    class KeyOnPath {
    public:
        KeyOnPath(Decoder& decoder, const CodingKey& key)
            : path_(decoder.codingPath_) {
            path_.push_back(key);
        }
        ~KeyOnPath() { path_.pop_back(); }
        KeyOnPath(const KeyOnPath&) = delete;
        KeyOnPath& operator=(const KeyOnPath&) = delete;

    private:
        CodingPath& path_;
    };

    bool contains(const CodingKey& key) const;
    // The field for the key; throws keyNotFound when the row has none.
    std::string_view field(const CodingKey& key) const;
    std::string_view singleValueField() const;
    bool isNil(std::string_view text) const;

    // Converts the text of the field whose key ends the coding path.
    template <FieldValue T> T convert(std::string_view text);
    bool convertBool(std::string_view text) const;
    TimePoint convertDate(std::string_view text);
    Bytes convertData(std::string_view text) const;
    URL convertURL(std::string_view text) const;
    Decimal convertDecimal(std::string_view text) const;
    [[noreturn]] void typeMismatch(const std::string& type, std::string_view text) const;
    [[noreturn]] void dataCorrupted(const std::string& message) const;

    const CSVReader& reader_;
    DecodingOptions options_;
    CodingPath codingPath_;
};

template <FieldValue T> T Decoder::convert(std::string_view text) {
    if (text.empty()) {
        throw DecodingError::valueNotFound(typeName<T>(), codingPath_,
                                           "Expected " + typeName<T>() +
                                               " value but found null instead.");
    }
    if constexpr (std::same_as<T, std::string>) {
        return std::string(text);
    } else if constexpr (std::same_as<T, bool>) {
        return convertBool(text);
    } else if constexpr (std::integral<T> || std::floating_point<T>) {
        const std::optional<T> value = detail::parseNumber<T>(text);
        if (!value) {
            typeMismatch(typeName<T>(), text);
        }
        return *value;
    } else if constexpr (std::same_as<T, TimePoint>) {
        return convertDate(text);
    } else if constexpr (std::same_as<T, Bytes>) {
        return convertData(text);
    } else if constexpr (std::same_as<T, URL>) {
        return convertURL(text);
    } else {
        return convertDecimal(text);
    }
}

template <class T>
requires FieldValue<T> || Decodable<T> T KeyedContainer::decode(const CodingKey& key) {
    const std::string_view text = decoder_->field(key);
    const Decoder::KeyOnPath onPath(*decoder_, key);
    if constexpr (Decodable<T>) {
        return T::decode(*decoder_);
    } else {
        return decoder_->convert<T>(text);
    }
}

} // namespace csv
