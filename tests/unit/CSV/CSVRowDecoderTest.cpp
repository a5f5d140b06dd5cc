// Decoding rows into records: keys, strategies, and the typed errors with their messages.
#include "CSV/CSVRowDecoder.h"
#include "ReaderSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace csv::test {
namespace {

using namespace std::chrono;

// A reader on `text` positioned on its first data row.
struct Row1 {
    explicit Row1(std::string text, bool header = true)
        : reader(std::move(text), configure(header)) {
        reader.next();
    }
    static CSVReader::Configuration configure(bool header) {
        CSVReader::Configuration configuration;
        configuration.hasHeaderRow = header;
        return configuration;
    }
    CSVReader reader;
};

struct Person {
    std::string name;
    std::optional<int> age;
    static Person decode(Decoder& decoder) {
        KeyedContainer fields = decoder.container();
        return {fields.decode<std::string>("name"), fields.decodeIfPresent<int>("age")};
    }
};

// Runs a decode of one value through a record type and returns the error it throws.
template <class T>
DecodingError errorOf(const CSVReader& reader, const CodingKey& key,
                      const CSVRowDecoder& decoder = {}) {
    try {
        struct One {
            static One decode(Decoder& d) {
                d.container().decode<T>(std::any_cast<CodingKey>(d.userInfo().at("key")));
                return {};
            }
        };
        CSVRowDecoder withKey = decoder;
        withKey.userInfo["key"] = key;
        withKey.decode<One>(reader);
    } catch (const DecodingError& error) {
        return error;
    }
    ADD_FAILURE() << "decoded";
    return DecodingError::dataCorrupted({}, "none");
}

template <class T>
T valueOf(const CSVReader& reader, const CodingKey& key, const CSVRowDecoder& decoder = {}) {
    struct One {
        T value;
        static One decode(Decoder& d) {
            return {d.container().decode<T>(std::any_cast<CodingKey>(d.userInfo().at("key")))};
        }
    };
    CSVRowDecoder withKey = decoder;
    withKey.userInfo["key"] = key;
    return withKey.decode<One>(reader).value;
}

TEST(CSVRowDecoderKeys, RecordByHeaderName) {
    Row1 row("name,age\nx,");
    const Person person = CSVRowDecoder().decode<Person>(row.reader);
    EXPECT_EQ(person.name, "x");
    EXPECT_EQ(person.age, std::nullopt);

    const DecodingError error = errorOf<int>(row.reader, "age");
    EXPECT_EQ(error.kind(), DecodingError::Kind::valueNotFound);
    EXPECT_EQ(error.typeName(), "Int32");
    EXPECT_STREQ(error.what(), "Expected Int32 value but found null instead.");
    EXPECT_EQ(error.codingPath(), CodingPath{"age"});

    Row1 aged("age,name\n42,y");
    EXPECT_EQ(CSVRowDecoder().decode<Person>(aged.reader).age, 42);
    // An empty field is no empty text either.
    EXPECT_EQ(errorOf<std::string>(row.reader, "age").debugDescription(),
              "Expected String value but found null instead.");
}

TEST(CSVRowDecoderKeys, PositionsAndMissingKeys) {
    Row1 row("a,b,c", false);
    EXPECT_EQ(valueOf<std::string>(row.reader, 2), "c");
    const DecodingError error = errorOf<std::string>(row.reader, 5);
    EXPECT_EQ(error.kind(), DecodingError::Kind::keyNotFound);
    EXPECT_EQ(error.debugDescription(),
              "No value associated with key CodingKey(stringValue: \"5\", intValue: 5) (\"5\").");
    EXPECT_EQ(error.key(), CodingKey(5));
    EXPECT_TRUE(error.codingPath().empty());
    EXPECT_EQ(errorOf<std::string>(row.reader, "a").debugDescription(),
              "No value associated with key CodingKey(stringValue: \"a\", intValue: nil) (\"a\").");
}

TEST(CSVRowDecoderKeys, ContainsAndAllKeys) {
    struct Keys {
        std::vector<CodingKey> all;
        std::vector<bool> contained;
        static Keys decode(Decoder& decoder) {
            KeyedContainer fields = decoder.container();
            std::vector<bool> contained;
            for (const CodingKey& key :
                 std::vector<CodingKey>{"a", "c", "z", 0, 1, 2, -1, "cafe\u0301"}) {
                contained.push_back(fields.contains(key));
            }
            return {fields.allKeys(), contained};
        }
    };
    Row1 row("a,b,c,caf\u00E9\n1,2");
    const Keys keys = CSVRowDecoder().decode<Keys>(row.reader);
    EXPECT_EQ(keys.all, (std::vector<CodingKey>{"a", "b", "c", "caf\u00E9"}));
    // "c" is a header name but the row stops before its column; -1 is no position.
    EXPECT_EQ(keys.contained,
              (std::vector<bool>{true, false, false, true, true, false, false, false}));
    EXPECT_EQ(errorOf<std::string>(row.reader, "c").kind(), DecodingError::Kind::keyNotFound);

    Row1 accents("caf\u00E9\nok");
    EXPECT_EQ(valueOf<std::string>(accents.reader, "cafe\u0301"), "ok");

    Row1 plain("a,b", false);
    EXPECT_TRUE(CSVRowDecoder().decode<Keys>(plain.reader).all.empty());

    CSVReader finished("h\n1", Row1::configure(true));
    finished.next();
    finished.next();
    EXPECT_EQ(CSVRowDecoder().decode<Keys>(finished).contained, std::vector<bool>(8, false));
}

TEST(CSVRowDecoderValues, BoolsIntegersAndFloats) {
    Row1 values("true,false,TRUE,127,300,-1,+5,1.5e3,3.25,\"1,5\"", false);
    const CSVReader& r = values.reader;
    EXPECT_TRUE(valueOf<bool>(r, 0));
    EXPECT_FALSE(valueOf<bool>(r, 1));
    const DecodingError mismatch = errorOf<bool>(r, 2);
    EXPECT_EQ(mismatch.kind(), DecodingError::Kind::typeMismatch);
    EXPECT_EQ(mismatch.debugDescription(), "Expected to decode Bool but found TRUE instead.");
    EXPECT_EQ(mismatch.codingPath(), CodingPath{2});

    EXPECT_EQ(valueOf<std::int8_t>(r, 3), 127);
    EXPECT_EQ(errorOf<std::int8_t>(r, 4).debugDescription(),
              "Expected to decode Int8 but found 300 instead.");
    EXPECT_EQ(errorOf<std::uint16_t>(r, 5).typeName(), "UInt16");
    EXPECT_EQ(valueOf<long long>(r, 5), -1);
    EXPECT_EQ(valueOf<unsigned>(r, 6), 5u);
    EXPECT_EQ(valueOf<float>(r, 7), 1500.0f);
    EXPECT_EQ(valueOf<double>(r, 8), 3.25);
    EXPECT_EQ(errorOf<double>(r, 9).debugDescription(),
              "Expected to decode Double but found 1,5 instead.");

    CSVRowDecoder yesNo;
    yesNo.boolDecodingStrategy = strategy::Custom<bool>{[](const std::string& text) {
        if (text != "yes" && text != "no") {
            throw DecodingError::dataCorrupted({}, "not yes or no");
        }
        return text == "yes";
    }};
    Row1 answers("yes,no,maybe", false);
    EXPECT_TRUE(valueOf<bool>(answers.reader, 0, yesNo));
    EXPECT_FALSE(valueOf<bool>(answers.reader, 1, yesNo));
    EXPECT_EQ(errorOf<bool>(answers.reader, 2, yesNo).debugDescription(), "not yes or no");
}

TimePoint unix(double seconds) {
    return TimePoint(duration<double>(seconds));
}

TEST(CSVRowDecoderValues, DateStrategies) {
    Row1 row("1500,abc,2024-05-17T10:22:31Z,2024-05-17T12:22:31+02:00,2024-05-17 10:22:31Z,"
             "17/05/2024,0",
             false);
    const CSVReader& r = row.reader;
    CSVRowDecoder decoder;
    decoder.dateDecodingStrategy = strategy::MillisecondsSince1970{};
    EXPECT_EQ(valueOf<TimePoint>(r, 0, decoder), unix(1.5));
    decoder.dateDecodingStrategy = strategy::SecondsSince1970{};
    EXPECT_EQ(valueOf<TimePoint>(r, 0, decoder), unix(1500));
    const DecodingError notANumber = errorOf<TimePoint>(r, 1, decoder);
    EXPECT_EQ(notANumber.kind(), DecodingError::Kind::typeMismatch);
    EXPECT_EQ(notANumber.debugDescription(), "Expected to decode Double but found abc instead.");

    decoder.dateDecodingStrategy = strategy::ISO8601{};
    const TimePoint may17 = unix(1715941351);
    EXPECT_EQ(valueOf<TimePoint>(r, 2, decoder), may17);
    EXPECT_EQ(valueOf<TimePoint>(r, 3, decoder), may17);
    const DecodingError notISO = errorOf<TimePoint>(r, 4, decoder);
    EXPECT_EQ(notISO.kind(), DecodingError::Kind::dataCorrupted);
    EXPECT_EQ(notISO.debugDescription(), "Expected date string to be ISO8601-formatted.");

    decoder.dateDecodingStrategy = strategy::Formatted{DateFormatter("%d/%m/%Y")};
    EXPECT_EQ(valueOf<TimePoint>(r, 5, decoder), TimePoint(sys_days(2024y / May / 17)));
    EXPECT_EQ(errorOf<TimePoint>(r, 2, decoder).debugDescription(),
              "Date string does not match format expected by formatter.");

    // The default: seconds since 2001-01-01 00:00:00 UTC.
    EXPECT_EQ(valueOf<TimePoint>(r, 6), unix(978307200));
    EXPECT_EQ(errorOf<TimePoint>(Row1("d\n\n").reader, "d").debugDescription(),
              "Expected Date value but found null instead.");

    decoder.dateDecodingStrategy =
        strategy::Custom<TimePoint>{[](const std::string& text) { return unix(text.size()); }};
    EXPECT_EQ(valueOf<TimePoint>(r, 1, decoder), unix(3));
}

TEST(CSVRowDecoderValues, DataURLsAndDecimals) {
    Row1 row("aGVsbG8=,aGVsbG8,https://example.com/a?b=c,not a url,12.50,1.2.3", false);
    const CSVReader& r = row.reader;
    EXPECT_EQ(valueOf<Bytes>(r, 0), (Bytes{'h', 'e', 'l', 'l', 'o'}));
    const DecodingError notBase64 = errorOf<Bytes>(r, 1);
    EXPECT_EQ(notBase64.kind(), DecodingError::Kind::dataCorrupted);
    EXPECT_EQ(notBase64.debugDescription(), "Encountered Data is not valid Base64.");
    EXPECT_EQ(notBase64.codingPath(), CodingPath{1});

    CSVRowDecoder raw;
    raw.dataDecodingStrategy = strategy::Custom<Bytes>{
        [](const std::string& text) { return Bytes(text.begin(), text.end()); }};
    EXPECT_EQ(valueOf<Bytes>(r, 1, raw).size(), 7u);

    EXPECT_EQ(valueOf<URL>(r, 2).scheme(), "https");
    EXPECT_EQ(errorOf<URL>(r, 3).debugDescription(), "Invalid URL string.");
    EXPECT_EQ(valueOf<Decimal>(r, 4).toString(), "12.5");
    EXPECT_EQ(errorOf<Decimal>(r, 5).debugDescription(), "Invalid Decimal string.");
}

TEST(CSVRowDecoderValues, NilStrategy) {
    struct Maybe {
        std::optional<int> a;
        bool bIsNil;
        static Maybe decode(Decoder& decoder) {
            KeyedContainer fields = decoder.container();
            return {fields.decodeIfPresent<int>(0), fields.decodeNil(1)};
        }
    };
    Row1 row("NULL,,7", false);
    CSVRowDecoder nulls;
    nulls.nilDecodingStrategy =
        strategy::Custom<bool>{[](const std::string& text) { return text == "NULL"; }};
    const Maybe custom = nulls.decode<Maybe>(row.reader);
    EXPECT_EQ(custom.a, std::nullopt);
    EXPECT_FALSE(custom.bIsNil);
    // The empty field is not null here, and still converts to nothing.
    EXPECT_EQ(errorOf<int>(row.reader, 1, nulls).kind(), DecodingError::Kind::valueNotFound);

    struct SecondIsNil {
        bool nil;
        static SecondIsNil decode(Decoder& decoder) { return {decoder.container().decodeNil(1)}; }
    };
    EXPECT_TRUE(CSVRowDecoder().decode<SecondIsNil>(row.reader).nil);
    EXPECT_EQ(errorOf<int>(row.reader, 0).kind(), DecodingError::Kind::typeMismatch);
}

// A value type that decodes itself from the single-value container.
struct Celsius {
    double degrees;
    static Celsius decode(Decoder& decoder) {
        return {decoder.singleValueContainer().decode<double>()};
    }
};

TEST(CSVRowDecoderContainers, SingleValues) {
    Row1 row("place,temp\nhere,21.5\nthere,");
    EXPECT_EQ(valueOf<Celsius>(row.reader, "temp").degrees, 21.5);
    row.reader.next();
    const DecodingError null = errorOf<Celsius>(row.reader, "temp");
    EXPECT_EQ(null.kind(), DecodingError::Kind::valueNotFound);
    EXPECT_EQ(null.debugDescription(), "Expected Double but found null value instead.");
    EXPECT_EQ(null.codingPath(), CodingPath{"temp"});

    // Without a key there is no field to take the value from.
    try {
        CSVRowDecoder().decode<Celsius>(row.reader);
        ADD_FAILURE() << "decoded";
    } catch (const DecodingError& error) {
        EXPECT_EQ(error.kind(), DecodingError::Kind::dataCorrupted);
    }
}

TEST(CSVRowDecoderContainers, NestingAlwaysFails) {
    const auto failure = [](const std::function<void(Decoder&)>& use) {
        struct Run {
            static Run decode(Decoder& decoder) {
                std::any_cast<std::function<void(Decoder&)>>(decoder.userInfo().at("use"))(decoder);
                return {};
            }
        };
        Row1 row("a\n1");
        CSVRowDecoder decoder;
        decoder.userInfo["use"] = use;
        try {
            decoder.decode<Run>(row.reader);
        } catch (const DecodingError& error) {
            return std::pair(error.kind(), error.debugDescription());
        }
        return std::pair(DecodingError::Kind::typeMismatch, std::string("no error"));
    };
    using Kind = DecodingError::Kind;
    EXPECT_EQ(failure([](Decoder& d) { d.unkeyedContainer(); }),
              std::pair(Kind::valueNotFound,
                        std::string(
                            "Cannot get unkeyed decoding container -- found null value instead.")));
    EXPECT_EQ(failure([](Decoder& d) { d.container().nestedContainer("a"); }),
              std::pair(Kind::dataCorrupted,
                        std::string("nestedContainer(...) CSV does not support nested values")));
    EXPECT_EQ(
        failure([](Decoder& d) { d.container().nestedUnkeyedContainer("a"); }),
        std::pair(Kind::dataCorrupted,
                  std::string("nestedUnkeyedContainer(...) CSV does not support nested values")));
    EXPECT_EQ(failure([](Decoder& d) { d.container().superDecoder(); }),
              std::pair(Kind::dataCorrupted, std::string("CSV does not support nested values")));
    EXPECT_EQ(failure([](Decoder& d) { d.container().superDecoder("a"); }),
              std::pair(Kind::dataCorrupted, std::string("CSV does not support nested values")));
}

} // namespace
} // namespace csv::test
