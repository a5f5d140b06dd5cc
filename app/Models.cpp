#include "Models.h"

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <charconv>
#include <cmath>
#include <string_view>

namespace {

using Writer = rapidjson::Writer<rapidjson::StringBuffer>;
using Value = rapidjson::Value;

// Full precision so that every stored time reads back to the same double.
constexpr unsigned parseFlags =
    rapidjson::kParseFullPrecisionFlag | rapidjson::kParseValidateEncodingFlag;

std::string_view nameOf(const Value& v) { return {v.GetString(), v.GetStringLength()}; }

void writeKey(Writer& w, std::string_view key) {
    w.Key(key.data(), static_cast<rapidjson::SizeType>(key.size()));
}

void writeString(Writer& w, const QString& s) {
    const QByteArray utf8 = s.toUtf8();
    w.String(utf8.constData(), static_cast<rapidjson::SizeType>(utf8.size()));
}

// Shortest text that reads back to the same double.
bool writeDate(Writer& w, Date d) {
    const double v = d.secondsSinceReferenceDate;
    if (!std::isfinite(v)) {
        return false;
    }
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return w.RawValue(buf, static_cast<size_t>(res.ptr - buf), rapidjson::kNumberType);
}

bool writeOptionalDate(Writer& w, std::string_view key, const std::optional<Date>& d) {
    if (!d) {
        return true;
    }
    writeKey(w, key);
    return writeDate(w, *d);
}

QString readString(const Value& v) { return QString::fromUtf8(v.GetString(), v.GetStringLength()); }

// Optional dates: a missing key or a null reads as absent.
bool readOptionalDate(const Value& v, std::optional<Date>& out) {
    if (v.IsNull()) {
        out.reset();
        return true;
    }
    if (!v.IsNumber()) {
        return false;
    }
    out = Date{v.GetDouble()};
    return true;
}

template <typename T, typename ReadOne>
std::optional<std::vector<T>> decodeArray(const QByteArray& json, ReadOne readOne) {
    rapidjson::Document doc;
    doc.Parse<parseFlags>(json.constData(), static_cast<size_t>(json.size()));
    if (doc.HasParseError() || !doc.IsArray()) {
        return std::nullopt;
    }
    std::vector<T> out;
    out.reserve(doc.Size());
    for (const Value& element : doc.GetArray()) {
        auto item = readOne(element);
        if (!item) {
            return std::nullopt;
        }
        out.push_back(std::move(*item));
    }
    return out;
}

std::optional<Task> readTask(const Value& obj) {
    if (!obj.IsObject()) {
        return std::nullopt;
    }
    Task t;
    enum : unsigned { Id = 1, Name = 2, Created = 4, Snoozed = 8, Tutorial = 16, Done = 32 };
    unsigned seen = 0;
    for (const auto& m : obj.GetObject()) {
        const std::string_view key = nameOf(m.name);
        const Value& v = m.value;
        if (key == "id") {
            if (!v.IsString()) {
                return std::nullopt;
            }
            auto id = Json::parseUuid(nameOf(v));
            if (!id) {
                return std::nullopt;
            }
            t.id = *id;
            seen |= Id;
        } else if (key == "name") {
            if (!v.IsString()) {
                return std::nullopt;
            }
            t.name = readString(v);
            seen |= Name;
        } else if (key == "created") {
            if (!v.IsNumber()) {
                return std::nullopt;
            }
            t.created = Date{v.GetDouble()};
            seen |= Created;
        } else if (key == "isSnoozed") {
            if (!v.IsBool()) {
                return std::nullopt;
            }
            t.isSnoozed = v.GetBool();
            seen |= Snoozed;
        } else if (key == "isTutorial") {
            if (!v.IsBool()) {
                return std::nullopt;
            }
            t.isTutorial = v.GetBool();
            seen |= Tutorial;
        } else if (key == "isDone") {
            if (!v.IsBool()) {
                return std::nullopt;
            }
            t.isDone = v.GetBool();
            seen |= Done;
        } else if (key == "snoozedUntil") {
            if (!readOptionalDate(v, t.snoozedUntil)) {
                return std::nullopt;
            }
        } else if (key == "doneDate") {
            if (!readOptionalDate(v, t.doneDate)) {
                return std::nullopt;
            }
        }
    }
    if (seen != (Id | Name | Created | Snoozed | Tutorial | Done)) {
        return std::nullopt;
    }
    return t;
}

std::optional<SystemMessage> readMessage(const Value& obj) {
    if (!obj.IsObject()) {
        return std::nullopt;
    }
    SystemMessage msg;
    unsigned seen = 0;
    constexpr unsigned all = (1u << 9) - 1;
    auto string = [&](const Value& v, QString& out, unsigned bit) {
        if (!v.IsString()) {
            return false;
        }
        out = readString(v);
        seen |= bit;
        return true;
    };
    for (const auto& m : obj.GetObject()) {
        const std::string_view key = nameOf(m.name);
        const Value& v = m.value;
        bool ok = true;
        if (key == "id") {
            ok = v.IsInt64();
            msg.id = ok ? v.GetInt64() : 0;
            seen |= 1u << 0;
        } else if (key == "created_at") {
            ok = v.IsInt64();
            msg.created_at = ok ? v.GetInt64() : 0;
            seen |= 1u << 1;
        } else if (key == "platform") {
            ok = v.IsArray();
            for (rapidjson::SizeType i = 0; ok && i < v.Size(); ++i) {
                ok = v[i].IsString();
                if (ok) {
                    msg.platform.append(readString(v[i]));
                }
            }
            seen |= 1u << 2;
        } else if (key == "min_version") {
            ok = string(v, msg.min_version, 1u << 3);
        } else if (key == "max_version") {
            ok = string(v, msg.max_version, 1u << 4);
        } else if (key == "message") {
            ok = string(v, msg.message, 1u << 5);
        } else if (key == "cta_text") {
            ok = string(v, msg.cta_text, 1u << 6);
        } else if (key == "cta_url") {
            ok = string(v, msg.cta_url, 1u << 7);
        } else if (key == "isSnoozed") {
            ok = v.IsBool();
            msg.isSnoozed = ok && v.GetBool();
            seen |= 1u << 8;
        } else if (key == "snoozedUntil") {
            ok = readOptionalDate(v, msg.snoozedUntil);
        }
        if (!ok) {
            return std::nullopt;
        }
    }
    if (seen != all) {
        return std::nullopt;
    }
    return msg;
}

template <typename T, typename WriteOne>
std::optional<QByteArray> encodeArray(const std::vector<T>& items, size_t bytesPerItem,
                                      WriteOne writeOne) {
    rapidjson::StringBuffer buffer(nullptr, items.size() * bytesPerItem + 2);
    Writer w(buffer);
    w.StartArray();
    for (const T& item : items) {
        if (!writeOne(w, item)) {
            return std::nullopt;
        }
    }
    w.EndArray();
    return QByteArray(buffer.GetString(), static_cast<qsizetype>(buffer.GetSize()));
}

constexpr int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

constexpr bool isHyphenPosition(size_t i) { return i == 8 || i == 13 || i == 18 || i == 23; }

} // namespace

namespace Json {

QByteArray uuidText(const QUuid& id) {
    static constexpr char digits[] = "0123456789ABCDEF";
    const QByteArray raw = id.toRfc4122();
    QByteArray out(36, '-');
    qsizetype pos = 0;
    for (qsizetype i = 0; i < 16; ++i) {
        if (isHyphenPosition(static_cast<size_t>(pos))) {
            ++pos;
        }
        const auto byte = static_cast<unsigned char>(raw[i]);
        out[pos++] = digits[byte >> 4];
        out[pos++] = digits[byte & 0xF];
    }
    return out;
}

std::optional<QUuid> parseUuid(std::string_view text) {
    if (text.size() != 36) {
        return std::nullopt;
    }
    QByteArray raw(16, '\0');
    qsizetype byte = 0;
    for (size_t i = 0; i < 36;) {
        if (isHyphenPosition(i)) {
            if (text[i] != '-') {
                return std::nullopt;
            }
            ++i;
            continue;
        }
        const int hi = hexValue(text[i]);
        const int lo = hexValue(text[i + 1]);
        if (hi < 0 || lo < 0) {
            return std::nullopt;
        }
        raw[byte++] = static_cast<char>(hi << 4 | lo);
        i += 2;
    }
    return QUuid::fromRfc4122(raw);
}

std::optional<QByteArray> encodeTasks(const std::vector<Task>& tasks) {
    return encodeArray(tasks, 200, [](Writer& w, const Task& t) {
        w.StartObject();
        writeKey(w, "id");
        const QByteArray id = uuidText(t.id);
        w.String(id.constData(), static_cast<rapidjson::SizeType>(id.size()));
        writeKey(w, "name");
        writeString(w, t.name);
        writeKey(w, "created");
        if (!writeDate(w, t.created)) {
            return false;
        }
        writeKey(w, "isSnoozed");
        w.Bool(t.isSnoozed);
        if (!writeOptionalDate(w, "snoozedUntil", t.snoozedUntil)) {
            return false;
        }
        writeKey(w, "isTutorial");
        w.Bool(t.isTutorial);
        writeKey(w, "isDone");
        w.Bool(t.isDone);
        if (!writeOptionalDate(w, "doneDate", t.doneDate)) {
            return false;
        }
        return w.EndObject();
    });
}

std::optional<std::vector<Task>> decodeTasks(const QByteArray& json) {
    return decodeArray<Task>(json, readTask);
}

std::optional<QByteArray> encodeSystemMessages(const std::vector<SystemMessage>& messages) {
    return encodeArray(messages, 300, [](Writer& w, const SystemMessage& m) {
        w.StartObject();
        writeKey(w, "id");
        w.Int64(m.id);
        writeKey(w, "created_at");
        w.Int64(m.created_at);
        writeKey(w, "platform");
        w.StartArray();
        for (const QString& p : m.platform) {
            writeString(w, p);
        }
        w.EndArray();
        writeKey(w, "min_version");
        writeString(w, m.min_version);
        writeKey(w, "max_version");
        writeString(w, m.max_version);
        writeKey(w, "message");
        writeString(w, m.message);
        writeKey(w, "cta_text");
        writeString(w, m.cta_text);
        writeKey(w, "cta_url");
        writeString(w, m.cta_url);
        writeKey(w, "isSnoozed");
        w.Bool(m.isSnoozed);
        if (!writeOptionalDate(w, "snoozedUntil", m.snoozedUntil)) {
            return false;
        }
        return w.EndObject();
    });
}

std::optional<std::vector<SystemMessage>> decodeSystemMessages(const QByteArray& json) {
    return decodeArray<SystemMessage>(json, readMessage);
}

QByteArray encodeIntegers(const std::vector<std::int64_t>& values) {
    return *encodeArray(values, 12, [](Writer& w, std::int64_t v) { return w.Int64(v); });
}

std::optional<std::vector<std::int64_t>> decodeIntegers(const QByteArray& json) {
    return decodeArray<std::int64_t>(json, [](const Value& v) -> std::optional<std::int64_t> {
        if (!v.IsInt64()) {
            return std::nullopt;
        }
        return v.GetInt64();
    });
}

} // namespace Json
