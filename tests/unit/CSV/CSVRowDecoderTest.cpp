// Decoding rows into records: keys, strategies, and the typed errors with their paths and messages.
#include "CSV/CSVRowDecoder.h"
#include "CSVTestSupport.h"

#include <gtest/gtest.h>

#include <sstream>

namespace csv::test {
namespace {

using Texts = std::vector<std::string>;

// A reader on `text` positioned on its first data row.
struct Row1 {
    explicit Row1(std::string text, bool header = true)
        : reader(std::move(text), {.hasHeaderRow = header}) {
        reader.next();
    }
    CSVReader reader;
};

// A value type that decodes itself from the single-value container.
struct Celsius {
    double degrees;
    static Celsius decode(Decoder& decoder) {
        return {decoder.singleValueContainer().decode<double>()};
    }
};

// A decoded value as text.
struct Text {
    std::string operator()(const std::string& value) const { return value; }
    std::string operator()(const Bytes& bytes) const { return {bytes.begin(), bytes.end()}; }
    std::string operator()(const URL& value) const { return value.string(); }
    std::string operator()(const Decimal& value) const { return value.toString(); }
    std::string operator()(bool value) const { return value ? "true" : "false"; }
    std::string operator()(TimePoint at) const { return (*this)(at.time_since_epoch().count()); }
    std::string operator()(const Celsius& value) const { return (*this)(value.degrees); }
    template <class Number> std::string operator()(Number value) const {
        std::ostringstream out;
        out.precision(15);
        out << +value;
        return out.str();
    }
};

// "<kind> at <path>: <message>"
std::string text(const DecodingError& error) {
    constexpr const char* kinds[] = {"typeMismatch", "valueNotFound", "keyNotFound",
                                     "dataCorrupted"};
    std::string path;
    for (const CodingKey& key : error.codingPath()) {
        path += key.stringValue;
    }
    return kinds[static_cast<int>(error.kind())] + (" at " + path + ": ") +
           error.debugDescription();
}

// The decoded value as text, or the error as text.
template <class Decode> std::string outcome(Decode decode) {
    try {
        return Text{}(decode());
    } catch (const DecodingError& error) {
        return text(error);
    }
}

// The record that decodes one field, named in userInfo, as a T.
template <class T> struct One {
    T value;
    static One decode(Decoder& d) {
        return {d.container().decode<T>(std::any_cast<CodingKey>(d.userInfo().at("key")))};
    }
};

template <class T>
std::string decoded(const CSVReader& reader, const CodingKey& key, CSVRowDecoder decoder = {}) {
    decoder.userInfo["key"] = key;
    return outcome([&] { return decoder.decode<One<T>>(reader).value; });
}

struct Person {
    std::string name;
    std::optional<int> age;
    static Person decode(Decoder& decoder) {
        KeyedContainer fields = decoder.container();
        return {fields.decode<std::string>("name"), fields.decodeIfPresent<int>("age")};
    }
};

TEST(CSVRowDecoder, KeysByHeaderNameOrPosition) {
    const Row1 row("name,age\nx,");
    const Person person = CSVRowDecoder().decode<Person>(row.reader);
    EXPECT_EQ(std::tuple(person.name, person.age), std::tuple("x", std::nullopt));
    EXPECT_EQ(CSVRowDecoder().decode<Person>(Row1("age,name\n42,y").reader).age, 42);
    const Row1 plain("a,b,c", false);
    EXPECT_EQ(decoded<std::string>(plain.reader, 2), "c");
    // An empty field is null, not an empty text.
    EXPECT_EQ(
        (Texts{decoded<int>(row.reader, "age"), decoded<std::string>(row.reader, "age"),
               decoded<std::string>(plain.reader, 5), decoded<std::string>(plain.reader, "a")}),
        (Texts{"valueNotFound at age: Expected Int32 value but found null instead.",
               "valueNotFound at age: Expected String value but found null instead.",
               "keyNotFound at : No value associated with key CodingKey(stringValue: \"5\", "
               "intValue: 5) (\"5\").",
               "keyNotFound at : No value associated with key CodingKey(stringValue: \"a\", "
               "intValue: nil) (\"a\")."}));

    CSVRowDecoder decoder;
    const auto error = [&](const CodingKey& key) {
        decoder.userInfo["key"] = key;
        try {
            decoder.decode<One<std::uint16_t>>(Row1("a\nx").reader);
        } catch (const DecodingError& e) {
            return e;
        }
        return DecodingError::dataCorrupted({}, "decoded");
    };
    EXPECT_EQ(error("a").typeName(), "UInt16");
    EXPECT_STREQ(error("a").what(), "Expected to decode UInt16 but found x instead.");
    EXPECT_EQ(error(5).key(), CodingKey(5));
}

TEST(CSVRowDecoder, ContainsAndAllKeys) {
    struct Keys {
        std::vector<CodingKey> all;
        std::vector<bool> contained;
        static Keys decode(Decoder& decoder) {
            KeyedContainer fields = decoder.container();
            const std::vector<CodingKey> probes{"a", "c", "z", 0, 1, 2, -1, "cafe\u0301"};
            std::vector<bool> contained;
            std::ranges::transform(probes, std::back_inserter(contained),
                                   [&](const CodingKey& key) { return fields.contains(key); });
            return {fields.allKeys(), contained};
        }
    };
    const Keys keys = CSVRowDecoder().decode<Keys>(Row1("a,b,c,caf\u00E9\n1,2").reader);
    EXPECT_EQ(keys.all, (std::vector<CodingKey>{"a", "b", "c", "caf\u00E9"}));
    // "c" is a header name but the row stops before its column; -1 is no position.
    EXPECT_EQ(keys.contained,
              (std::vector<bool>{true, false, false, true, true, false, false, false}));
    EXPECT_EQ(decoded<std::string>(Row1("caf\u00E9\nok").reader, "cafe\u0301"), "ok");
    EXPECT_TRUE(CSVRowDecoder().decode<Keys>(Row1("a,b", false).reader).all.empty());

    CSVReader finished("h\n1", {.hasHeaderRow = true});
    finished.next();
    finished.next();
    EXPECT_EQ(CSVRowDecoder().decode<Keys>(finished).contained, std::vector<bool>(8, false));
}

TEST(CSVRowDecoder, ValuesOfEveryType) {
    const Row1 row("true,false,TRUE,127,300,-1,+5,1.5e3,3.25,\"1,5\",aGVsbG8=,aGVsbG8,"
                   "https://example.com/a?b=c,not a url,12.50,1.2.3",
                   false);
    const CSVReader& r = row.reader;
    EXPECT_EQ((Texts{decoded<bool>(r, 0), decoded<bool>(r, 1), decoded<std::int8_t>(r, 3),
                     decoded<long long>(r, 5), decoded<unsigned>(r, 6), decoded<float>(r, 7),
                     decoded<double>(r, 8), decoded<Bytes>(r, 10), decoded<URL>(r, 12),
                     decoded<Decimal>(r, 14)}),
              (Texts{"true", "false", "127", "-1", "5", "1500", "3.25", "hello",
                     "https://example.com/a?b=c", "12.5"}));
    EXPECT_EQ((Texts{decoded<bool>(r, 2), decoded<std::int8_t>(r, 4), decoded<std::uint16_t>(r, 5),
                     decoded<double>(r, 9), decoded<Bytes>(r, 11), decoded<URL>(r, 13),
                     decoded<Decimal>(r, 15)}),
              (Texts{"typeMismatch at 2: Expected to decode Bool but found TRUE instead.",
                     "typeMismatch at 4: Expected to decode Int8 but found 300 instead.",
                     "typeMismatch at 5: Expected to decode UInt16 but found -1 instead.",
                     "typeMismatch at 9: Expected to decode Double but found 1,5 instead.",
                     "dataCorrupted at 11: Encountered Data is not valid Base64.",
                     "dataCorrupted at 13: Invalid URL string.",
                     "dataCorrupted at 15: Invalid Decimal string."}));
}

TEST(CSVRowDecoder, CustomBoolDataAndNilStrategies) {
    const Row1 row("yes,no,maybe,NULL,,7", false);
    const CSVReader& r = row.reader;
    CSVRowDecoder custom;
    custom.boolDecodingStrategy = strategy::Custom<bool>{[](const std::string& field) {
        if (field != "yes" && field != "no") {
            throw DecodingError::dataCorrupted({}, "not yes or no");
        }
        return field == "yes";
    }};
    custom.dataDecodingStrategy = strategy::Custom<Bytes>{
        [](const std::string& field) { return Bytes(field.rbegin(), field.rend()); }};
    custom.nilDecodingStrategy =
        strategy::Custom<bool>{[](const std::string& field) { return field == "NULL"; }};
    // The empty field is not null to the custom strategy, and still converts to nothing.
    EXPECT_EQ((Texts{decoded<bool>(r, 0, custom), decoded<bool>(r, 1, custom),
                     decoded<bool>(r, 2, custom), decoded<Bytes>(r, 1, custom),
                     decoded<int>(r, 4, custom), decoded<int>(r, 3)}),
              (Texts{"true", "false", "dataCorrupted at : not yes or no", "on",
                     "valueNotFound at 4: Expected Int32 value but found null instead.",
                     "typeMismatch at 3: Expected to decode Int32 but found NULL instead."}));

    struct Nils {
        std::optional<int> third;
        bool fourth;
        bool fifth;
        static Nils decode(Decoder& decoder) {
            KeyedContainer fields = decoder.container();
            return {fields.decodeIfPresent<int>(3), fields.decodeNil(3), fields.decodeNil(4)};
        }
    };
    const Nils nils = custom.decode<Nils>(r);
    EXPECT_EQ(std::tuple(nils.third, nils.fourth, nils.fifth),
              std::tuple(std::nullopt, true, false));
    EXPECT_TRUE(CSVRowDecoder().decode<Nils>(Row1("a,b,c,1,", false).reader).fifth);
}

TEST(CSVRowDecoder, DateStrategies) {
    const Row1 row("1500,abc,2024-05-17T10:22:31Z,2024-05-17T12:22:31+02:00,2024-05-17 10:22:31Z,"
                   "17/05/2024,0",
                   false);
    const CSVReader& r = row.reader;
    const auto with = [](DateDecodingStrategy strategy) {
        CSVRowDecoder decoder;
        decoder.dateDecodingStrategy = std::move(strategy);
        return decoder;
    };
    const CSVRowDecoder seconds = with(strategy::SecondsSince1970{});
    const CSVRowDecoder iso = with(strategy::ISO8601{});
    const CSVRowDecoder formatted = with(strategy::Formatted{DateFormatter("%d/%m/%Y")});
    const CSVRowDecoder custom = with(strategy::Custom<TimePoint>{[](const std::string& field) {
        return TimePoint(std::chrono::duration<double>(field.size()));
    }});
    // The default: seconds since 2001-01-01 00:00:00 UTC.
    EXPECT_EQ((Texts{decoded<TimePoint>(r, 6), decoded<TimePoint>(r, 0, seconds),
                     decoded<TimePoint>(r, 0, with(strategy::MillisecondsSince1970{})),
                     decoded<TimePoint>(r, 2, iso), decoded<TimePoint>(r, 3, iso),
                     decoded<TimePoint>(r, 5, formatted), decoded<TimePoint>(r, 1, custom)}),
              (Texts{"978307200", "1500", "1.5", "1715941351", "1715941351", "1715904000", "3"}));
    EXPECT_EQ(
        (Texts{decoded<TimePoint>(Row1("d\n\n").reader, "d"), decoded<TimePoint>(r, 1, seconds),
               decoded<TimePoint>(r, 4, iso), decoded<TimePoint>(r, 2, formatted)}),
        (Texts{"valueNotFound at d: Expected Date value but found null instead.",
               "typeMismatch at 1: Expected to decode Double but found abc instead.",
               "dataCorrupted at 4: Expected date string to be ISO8601-formatted.",
               "dataCorrupted at 2: Date string does not match format expected by "
               "formatter."}));
}

TEST(CSVRowDecoder, SingleValuesAndNestingThatAlwaysFails) {
    Row1 row("place,temp\nhere,21.5\nthere,");
    EXPECT_EQ(decoded<Celsius>(row.reader, "temp"), "21.5");
    row.reader.next();

    using Use = std::function<void(Decoder&)>;
    struct Run {
        std::string result = "no error";
        static Run decode(Decoder& decoder) {
            std::any_cast<Use>(decoder.userInfo().at("use"))(decoder);
            return {};
        }
    };
    const auto failure = [&](const Use& use) {
        CSVRowDecoder decoder;
        decoder.userInfo["use"] = use;
        return outcome([&] { return decoder.decode<Run>(row.reader).result; });
    };
    EXPECT_EQ(
        (Texts{decoded<Celsius>(row.reader, "temp"),
               // Without a key there is no field to take the value from.
               outcome([&] { return CSVRowDecoder().decode<Celsius>(row.reader); }),
               failure([](Decoder& d) { d.unkeyedContainer(); }),
               failure([](Decoder& d) { d.container().nestedContainer("a"); }),
               failure([](Decoder& d) { d.container().nestedUnkeyedContainer("a"); }),
               failure([](Decoder& d) { d.container().superDecoder(); }),
               failure([](Decoder& d) { d.container().superDecoder("a"); })}),
        (Texts{"valueNotFound at temp: Expected Double but found null value instead.",
               "dataCorrupted at : A single value is a field: decode it through a key.",
               "valueNotFound at : Cannot get unkeyed decoding container -- found null value "
               "instead.",
               "dataCorrupted at : nestedContainer(...) CSV does not support nested values",
               "dataCorrupted at : nestedUnkeyedContainer(...) CSV does not support nested values",
               "dataCorrupted at : CSV does not support nested values",
               "dataCorrupted at : CSV does not support nested values"}));
}

} // namespace
} // namespace csv::test
