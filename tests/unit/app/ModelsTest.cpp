#include "store/Models.h"
#include "tests/support/Builders.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <tuple>

namespace {

Task sampleTask() {
    Task t =
        makeTask(QStringLiteral("Write the report \u2014 \"draft\" \U0001F600"), 786543210.123456);
    t.id = QUuid::fromString(QStringLiteral("6f1c2a3b-4d5e-4f60-8a9b-0c1d2e3f4a5b"));
    return t;
}

QJsonArray asJson(const QByteArray& bytes) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << bytes.constData();
    return doc.array();
}

// Every field, for comparing records whole.
auto fields(const Task& t) {
    return std::tie(t.id, t.name, t.created, t.isSnoozed, t.snoozedUntil, t.isTutorial, t.isDone,
                    t.doneDate);
}
auto fields(const SystemMessage& m) {
    return std::tie(m.id, m.created_at, m.platform, m.min_version, m.max_version, m.message,
                    m.cta_text, m.cta_url, m.isSnoozed, m.snoozedUntil);
}

} // namespace

// A lone surrogate in a text is stored as U+FFFD.
TEST(TaskJson, OptionalDatesDecideTheKeySetAndTextsAreValidUtf8) {
    Task plain = sampleTask();
    plain.name = QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b") + QChar(0xDC00);
    Task full = markedDone(sampleTask(), Date{786543999.25});
    full.isSnoozed = true;
    full.snoozedUntil = Date{786546810.5};

    const QJsonArray array = asJson(*Json::encodeTasks({plain, full}));
    ASSERT_EQ(array.size(), 2);
    const QJsonObject first = array[0].toObject();
    EXPECT_EQ(std::tuple(first.keys(), array[1].toObject().size(), first.value("id").toString(),
                         first.value("created").toDouble(), first.value("name").toString()),
              std::tuple(QStringList{"created", "id", "isDone", "isSnoozed", "isTutorial", "name"},
                         8, QString("6F1C2A3B-4D5E-4F60-8A9B-0C1D2E3F4A5B"), 786543210.123456,
                         QStringLiteral("a\uFFFDb\uFFFD")));
    // A time that is not finite has no encoding.
    full.doneDate = Date{std::numeric_limits<double>::infinity()};
    EXPECT_FALSE(Json::encodeTasks({plain, full}));
}

TEST(TaskJson, ReadsTheOriginalEncoderStyle) {
    // Lower-case id, keys in another order, an unknown key, a null snooze end, whole numbers.
    const QByteArray stored = R"([
      {"isDone": false, "name": "Buy milk", "extra": {"a": [1, 2]}, "isTutorial": false,
       "snoozedUntil": null, "created": 786000000, "id": "6f1c2a3b-4d5e-4f60-8a9b-0c1d2e3f4a5b",
       "isSnoozed": false},
      {"id":"00000000-0000-0000-0000-000000000000","name":"","created":-1.5e3,"isSnoozed":true,
       "snoozedUntil":786003600.75,"isTutorial":true,"isDone":true,"doneDate":786000001}
    ])";
    const auto tasks = Json::decodeTasks(stored);
    ASSERT_TRUE(tasks);
    ASSERT_EQ(tasks->size(), 2u);
    Task a = makeTask("Buy milk", 786000000);
    a.id = sampleTask().id;
    const Task b{QUuid(), {}, Date{-1500}, Date{786003600.75}, Date{786000001}, true, true, true};
    EXPECT_EQ(fields((*tasks)[0]), fields(a));
    EXPECT_EQ(fields((*tasks)[1]), fields(b));
    EXPECT_EQ(Json::uuidText(a.id), QByteArray("6F1C2A3B-4D5E-4F60-8A9B-0C1D2E3F4A5B"));
}

TEST(TaskJson, ListDecodingIsAllOrNothing) {
    const QByteArray good =
        R"({"id":"6F1C2A3B-4D5E-4F60-8A9B-0C1D2E3F4A5B","name":"a","created":1,"isSnoozed":false,"isTutorial":false,"isDone":false})";
    ASSERT_TRUE(Json::decodeTasks("[" + good + "]"));
    const QByteArray bad[] = {
        // a missing required key
        R"({"id":"6F1C2A3B-4D5E-4F60-8A9B-0C1D2E3F4A5B","name":"a","created":1,"isSnoozed":false,"isDone":false})",
        // wrong JSON types
        R"({"id":"6F1C2A3B-4D5E-4F60-8A9B-0C1D2E3F4A5B","name":"a","created":1,"isSnoozed":"false","isTutorial":false,"isDone":false})",
        R"({"id":"6F1C2A3B-4D5E-4F60-8A9B-0C1D2E3F4A5B","name":"a","created":"1","isSnoozed":false,"isTutorial":false,"isDone":false})",
        R"({"id":"6F1C2A3B-4D5E-4F60-8A9B-0C1D2E3F4A5B","name":7,"created":1,"isSnoozed":false,"isTutorial":false,"isDone":false})",
        R"({"id":"6F1C2A3B-4D5E-4F60-8A9B-0C1D2E3F4A5B","name":"a","created":1,"isSnoozed":false,"isTutorial":false,"isDone":0})",
        R"({"id":"6F1C2A3B-4D5E-4F60-8A9B-0C1D2E3F4A5B","name":"a","created":1,"isSnoozed":false,"isTutorial":false,"isDone":false,"doneDate":"x"})",
        // identifiers that do not parse
        R"({"id":"{6F1C2A3B-4D5E-4F60-8A9B-0C1D2E3F4A5B}","name":"a","created":1,"isSnoozed":false,"isTutorial":false,"isDone":false})",
        R"({"id":"6F1C2A3B4D5E-4F60-8A9B-0C1D2E3F4A5B0","name":"a","created":1,"isSnoozed":false,"isTutorial":false,"isDone":false})",
        R"({"id":"6F1C2A3B-4D5E-4F60-8A9B-0C1D2E3F4A5G","name":"a","created":1,"isSnoozed":false,"isTutorial":false,"isDone":false})",
        R"("not an object")",
    };
    for (const QByteArray& element : bad) {
        EXPECT_FALSE(Json::decodeTasks("[" + good + "," + element + "]")) << element.constData();
    }
    for (const char* text : {"", "{}", "[", "[] x", "null", "[\xff]"}) {
        EXPECT_FALSE(Json::decodeTasks(text)) << text;
    }
}

TEST(TaskJson, TimesAndTextsRoundTripExactly) {
    std::mt19937_64 rng(20261206);
    std::uniform_real_distribution<double> seconds(-1e9, 2e9);
    std::vector<Task> tasks;
    for (int i = 0; i < 2000; ++i) {
        Task t = sampleTask();
        t.id = QUuid::createUuid();
        t.created = Date{seconds(rng)};
        if (i % 3 == 0) {
            t.snoozedUntil = Date{seconds(rng)};
            t.isSnoozed = true;
        }
        if (i % 5 == 0) {
            // Awkward doubles: subnormals, the extremes, negative zero.
            const double odd[] = {5e-324, 1.7976931348623157e308, -0.0, 0.1 + 0.2, 1e22};
            t = markedDone(t, Date{odd[i / 5 % 5]});
        }
        t.name = QString::number(i) + QStringLiteral(" \t\n\\\"\u0001 \u00e9\u4e2d");
        tasks.push_back(t);
    }
    const auto decoded = Json::decodeTasks(*Json::encodeTasks(tasks));
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->size(), tasks.size());
    for (size_t i = 0; i < tasks.size(); ++i) {
        EXPECT_EQ(fields((*decoded)[i]), fields(tasks[i]));
        EXPECT_EQ(std::signbit((*decoded)[i].created.secondsSinceReferenceDate),
                  std::signbit(tasks[i].created.secondsSinceReferenceDate));
    }
}

// Messages and the lists of integers (the seen ids, the key indexes) keep 64-bit values.
TEST(SixtyFourBitJson, MessagesAndIntegerListsRoundTripBeyondDoublePrecision) {
    SystemMessage m =
        makeMessage((std::int64_t{1} << 53) + 1, INT64_MIN, "New: <b>bold</b> is shown as text");
    m.platform = QStringList{"MacOS", "Linux"};
    m.min_version = "1.2";
    m.cta_url = "https://example.com/a?b=c&d";
    SystemMessage snoozed = m;
    snoozed.id = INT64_MAX;
    snoozed.isSnoozed = true;
    snoozed.snoozedUntil = Date{786543210.987654321};

    const QByteArray bytes = *Json::encodeSystemMessages({m, snoozed});
    const QJsonArray array = asJson(bytes);
    EXPECT_EQ(std::tuple(array[0].toObject().size(), array[1].toObject().size(),
                         bytes.contains("9007199254740993")),
              std::tuple(9, 10, true));
    const auto back = Json::decodeSystemMessages(bytes);
    ASSERT_TRUE(back && back->size() == 2u);
    EXPECT_EQ(fields((*back)[0]), fields(m));
    EXPECT_EQ(fields((*back)[1]), fields(snoozed));

    const std::vector<std::int64_t> ids{0, -1, INT64_MAX, INT64_MIN, (std::int64_t{1} << 53) + 1};
    EXPECT_EQ(Json::decodeIntegers(Json::encodeIntegers(ids)), ids);
    EXPECT_FALSE(Json::decodeIntegers("[1, 2.5]") || Json::decodeIntegers("[\"1\"]"));
    EXPECT_EQ(Json::decodeIntegers("[]"), std::vector<std::int64_t>{});
}

TEST(SystemMessageJson, EveryKeyButTheSnoozeEndIsRequired) {
    const char* keys[] = {"id",      "created_at", "platform", "min_version", "max_version",
                          "message", "cta_text",   "cta_url",  "isSnoozed"};
    SystemMessage m;
    m.platform = QStringList{QStringLiteral("Linux")};
    const QJsonObject full = asJson(*Json::encodeSystemMessages({m}))[0].toObject();
    for (const char* key : keys) {
        QJsonObject partial = full;
        partial.remove(QLatin1String(key));
        const QByteArray text = QJsonDocument(QJsonArray{full, partial}).toJson();
        EXPECT_FALSE(Json::decodeSystemMessages(text)) << key;
    }
    const QByteArray wrongTypes[] = {
        R"([{"id":1.5,"created_at":1,"platform":[],"min_version":"","max_version":"","message":"","cta_text":"","cta_url":"","isSnoozed":false}])",
        R"([{"id":18446744073709551615,"created_at":1,"platform":[],"min_version":"","max_version":"","message":"","cta_text":"","cta_url":"","isSnoozed":false}])",
        R"([{"id":1,"created_at":1,"platform":[3],"min_version":"","max_version":"","message":"","cta_text":"","cta_url":"","isSnoozed":false}])",
        R"([{"id":1,"created_at":1,"platform":"Linux","min_version":"","max_version":"","message":"","cta_text":"","cta_url":"","isSnoozed":false}])",
    };
    for (const QByteArray& text : wrongTypes) {
        EXPECT_FALSE(Json::decodeSystemMessages(text)) << text.constData();
    }
}
