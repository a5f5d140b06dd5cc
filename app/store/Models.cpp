#include "store/Models.h"

#include "support/FieldCount.h"
#include "support/Utf8.h"

#include <simdjson.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

namespace {

namespace dom = simdjson::dom;

// Appends JSON text straight into one byte array; the stored task list is rewritten
// whole after every change, so this path writes through a raw pointer into room made
// ahead, with no per-field allocations.
class JsonWriter {
public:
    explicit JsonWriter(qsizetype reserve)
        : out(reserve, Qt::Uninitialized) {}

    void raw(std::string_view text) {
        char* p = room(static_cast<qsizetype>(text.size()));
        std::memcpy(p, text.data(), text.size());
        used += static_cast<qsizetype>(text.size());
    }

    void key(std::string_view name, bool first = false) {
        if (!first) {
            raw(",");
        }
        raw("\"");
        raw(name);
        raw("\":");
    }

    void boolean(bool value) { raw(value ? "true" : "false"); }

    void integer(std::int64_t value) {
        char buf[24];
        const auto res = std::to_chars(buf, buf + sizeof buf, value);
        raw({buf, static_cast<size_t>(res.ptr - buf)});
    }

    // Shortest text that reads back to the same double; JSON has no infinities or NaN.
    bool number(double value) {
        if (!std::isfinite(value)) {
            return false;
        }
        char buf[32];
        const auto res = std::to_chars(buf, buf + sizeof buf, value);
        raw({buf, static_cast<size_t>(res.ptr - buf)});
        return true;
    }

    // UTF-16 to escaped UTF-8 in one pass; a lone surrogate becomes U+FFFD.
    void string(const QString& s) {
        // Six bytes is the most one UTF-16 unit can take (\u001f, or three for a BMP char).
        char* const start = room(s.size() * 6 + 2);
        char* p = start;
        *p++ = '"';
        const char16_t* in = reinterpret_cast<const char16_t*>(s.utf16());
        const char16_t* const end = in + s.size();
        while (in < end) {
            char32_t c = *in++;
            if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\') {
                *p++ = static_cast<char>(c);
                continue;
            }
            if (c >= 0xD800 && c <= 0xDFFF) {
                if (c <= 0xDBFF && in < end && *in >= 0xDC00 && *in <= 0xDFFF) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (*in++ - 0xDC00);
                } else {
                    c = 0xFFFD;
                }
            }
            p = escaped(p, c);
        }
        *p++ = '"';
        used += p - start;
    }

    QByteArray take() {
        out.truncate(used);
        return std::move(out);
    }

private:
    char* room(qsizetype n) {
        if (used + n > out.size()) {
            out.resize(std::max(out.size() * 2, used + n));
        }
        return out.data() + used;
    }

    static char* escaped(char* p, char32_t c) {
        if (c < 0x80) {
            const char* esc = nullptr;
            switch (c) {
            case '"':
                esc = "\\\"";
                break;
            case '\\':
                esc = "\\\\";
                break;
            case '\n':
                esc = "\\n";
                break;
            case '\r':
                esc = "\\r";
                break;
            case '\t':
                esc = "\\t";
                break;
            default: {
                static constexpr char hex[] = "0123456789abcdef";
                const char u[] = {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 0xF]};
                std::memcpy(p, u, sizeof u);
                return p + sizeof u;
            }
            }
            *p++ = esc[0];
            *p++ = esc[1];
        } else if (c < 0x800) {
            *p++ = static_cast<char>(0xC0 | (c >> 6));
            *p++ = static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            *p++ = static_cast<char>(0xE0 | (c >> 12));
            *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *p++ = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            *p++ = static_cast<char>(0xF0 | (c >> 18));
            *p++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *p++ = static_cast<char>(0x80 | (c & 0x3F));
        }
        return p;
    }

    QByteArray out;
    qsizetype used = 0;
};

template <typename T, typename WriteOne>
std::optional<QByteArray> encodeArray(const std::vector<T>& items, qsizetype bytesPerItem,
                                      WriteOne writeOne) {
    JsonWriter w(static_cast<qsizetype>(items.size()) * bytesPerItem + 2);
    w.raw("[");
    bool first = true;
    for (const T& item : items) {
        if (!first) {
            w.raw(",");
        }
        first = false;
        if (!writeOne(w, item)) {
            return std::nullopt;
        }
    }
    w.raw("]");
    return w.take();
}

bool writeOptionalDate(JsonWriter& w, std::string_view key, const std::optional<Date>& d) {
    if (!d) {
        return true;
    }
    w.key(key);
    return w.number(d->secondsSinceReferenceDate);
}

// Readers answer false on any missing key or wrong type: decoding is all or nothing.

bool readString(dom::element v, QString& out) {
    std::string_view s;
    if (v.get_string().get(s)) {
        return false;
    }
    out = utf8Text(s);
    return true;
}

bool readStrings(dom::element v, QStringList& out) {
    dom::array list;
    if (v.get_array().get(list)) {
        return false;
    }
    out.clear();
    for (const dom::element item : list) {
        QString s;
        if (!readString(item, s)) {
            return false;
        }
        out.append(s);
    }
    return true;
}

bool readBool(dom::element v, bool& out) {
    return !v.get_bool().get(out);
}

bool readInt64(dom::element v, std::int64_t& out) {
    return !v.get_int64().get(out);
}

bool readDate(dom::element v, Date& out) {
    return !v.get_double().get(out.secondsSinceReferenceDate);
}

// A null reads as absent.
bool readOptionalDate(dom::element v, std::optional<Date>& out) {
    if (v.is_null()) {
        out.reset();
        return true;
    }
    Date d;
    if (!readDate(v, d)) {
        return false;
    }
    out = d;
    return true;
}

bool readTask(dom::element element, Task& t) {
    dom::object obj;
    if (element.get_object().get(obj)) {
        return false;
    }
    enum : unsigned { Id = 1, Name = 2, Created = 4, Snoozed = 8, Tutorial = 16, Done = 32 };
    unsigned seen = 0;
    for (const dom::key_value_pair field : obj) {
        const std::string_view key = field.key;
        const dom::element v = field.value;
        bool ok = true;
        if (key == "id") {
            std::string_view text;
            std::optional<QUuid> id;
            ok = !v.get_string().get(text) && (id = Json::parseUuid(text));
            t.id = id.value_or(QUuid());
            seen |= Id;
        } else if (key == "name") {
            ok = readString(v, t.name);
            seen |= Name;
        } else if (key == "created") {
            ok = readDate(v, t.created);
            seen |= Created;
        } else if (key == "isSnoozed") {
            ok = readBool(v, t.isSnoozed);
            seen |= Snoozed;
        } else if (key == "isTutorial") {
            ok = readBool(v, t.isTutorial);
            seen |= Tutorial;
        } else if (key == "isDone") {
            ok = readBool(v, t.isDone);
            seen |= Done;
        } else if (key == "snoozedUntil") {
            ok = readOptionalDate(v, t.snoozedUntil);
        } else if (key == "doneDate") {
            ok = readOptionalDate(v, t.doneDate);
        }
        if (!ok) {
            return false;
        }
    }
    return seen == (Id | Name | Created | Snoozed | Tutorial | Done);
}

bool readMessage(dom::element element, SystemMessage& m) {
    dom::object obj;
    if (element.get_object().get(obj)) {
        return false;
    }
    unsigned seen = 0;
    for (const dom::key_value_pair field : obj) {
        const std::string_view key = field.key;
        const dom::element v = field.value;
        bool ok = true;
        unsigned bit = 0;
        if (key == "id") {
            ok = readInt64(v, m.id);
            bit = 1;
        } else if (key == "created_at") {
            ok = readInt64(v, m.created_at);
            bit = 2;
        } else if (key == "platform") {
            ok = readStrings(v, m.platform);
            bit = 4;
        } else if (key == "min_version") {
            ok = readString(v, m.min_version);
            bit = 8;
        } else if (key == "max_version") {
            ok = readString(v, m.max_version);
            bit = 16;
        } else if (key == "message") {
            ok = readString(v, m.message);
            bit = 32;
        } else if (key == "cta_text") {
            ok = readString(v, m.cta_text);
            bit = 64;
        } else if (key == "cta_url") {
            ok = readString(v, m.cta_url);
            bit = 128;
        } else if (key == "isSnoozed") {
            ok = readBool(v, m.isSnoozed);
            bit = 256;
        } else if (key == "snoozedUntil") {
            ok = readOptionalDate(v, m.snoozedUntil);
        }
        if (!ok) {
            return false;
        }
        seen |= bit;
    }
    return seen == 511;
}

template <typename T, typename ReadOne>
std::optional<std::vector<T>> decodeArray(const QByteArray& json, ReadOne readOne) {
    // The parser validates UTF-8 and rejects anything after the root value. It reads in
    // place when the array has room for its padding after the bytes, else from a copy.
    const bool padded = json.capacity() - json.size() >= qsizetype{simdjson::SIMDJSON_PADDING};
    dom::parser parser;
    dom::array array;
    if (parser.parse(json.constData(), static_cast<size_t>(json.size()), !padded)
            .get_array()
            .get(array)) {
        return std::nullopt;
    }
    std::vector<T> out;
    out.reserve(array.size());
    for (const dom::element element : array) {
        T item{};
        if (!readOne(element, item)) {
            return std::nullopt;
        }
        out.push_back(std::move(item));
    }
    return out;
}

// Table lookup: the digits of random identifiers defeat branch prediction.
constexpr std::array<signed char, 256> hexValues = [] {
    std::array<signed char, 256> table{};
    table.fill(-1);
    for (int i = 0; i < 10; ++i) {
        table[static_cast<size_t>('0' + i)] = static_cast<signed char>(i);
    }
    for (int i = 0; i < 6; ++i) {
        table[static_cast<size_t>('a' + i)] = static_cast<signed char>(10 + i);
        table[static_cast<size_t>('A' + i)] = static_cast<signed char>(10 + i);
    }
    return table;
}();

int hexValue(char c) {
    return hexValues[static_cast<unsigned char>(c)];
}

constexpr bool isHyphenPosition(size_t i) {
    return i == 8 || i == 13 || i == 18 || i == 23;
}

// The canonical 8-4-4-4-12 form, upper case.
std::array<char, 36> uuidChars(const QUuid& id) {
    static constexpr char digits[] = "0123456789ABCDEF";
    const unsigned char bytes[16] = {static_cast<unsigned char>(id.data1 >> 24),
                                     static_cast<unsigned char>(id.data1 >> 16),
                                     static_cast<unsigned char>(id.data1 >> 8),
                                     static_cast<unsigned char>(id.data1),
                                     static_cast<unsigned char>(id.data2 >> 8),
                                     static_cast<unsigned char>(id.data2),
                                     static_cast<unsigned char>(id.data3 >> 8),
                                     static_cast<unsigned char>(id.data3),
                                     id.data4[0],
                                     id.data4[1],
                                     id.data4[2],
                                     id.data4[3],
                                     id.data4[4],
                                     id.data4[5],
                                     id.data4[6],
                                     id.data4[7]};
    std::array<char, 36> out;
    size_t pos = 0;
    for (const unsigned char byte : bytes) {
        if (isHyphenPosition(pos)) {
            out[pos++] = '-';
        }
        out[pos++] = digits[byte >> 4];
        out[pos++] = digits[byte & 0xF];
    }
    return out;
}

} // namespace

namespace Json {

QByteArray uuidText(const QUuid& id) {
    const auto chars = uuidChars(id);
    return QByteArray(chars.data(), static_cast<qsizetype>(chars.size()));
}

std::optional<QUuid> parseUuid(std::string_view text) {
    if (text.size() != 36) {
        return std::nullopt;
    }
    unsigned char b[16];
    size_t byte = 0;
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
        b[byte++] = static_cast<unsigned char>(hi << 4 | lo);
        i += 2;
    }
    return QUuid(static_cast<uint>(b[0]) << 24 | static_cast<uint>(b[1]) << 16 |
                     static_cast<uint>(b[2]) << 8 | b[3],
                 static_cast<ushort>(b[4] << 8 | b[5]), static_cast<ushort>(b[6] << 8 | b[7]), b[8],
                 b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
}

std::optional<QByteArray> encodeTasks(const std::vector<Task>& tasks) {
    static_assert(FieldCount::of<Task>() == 8,
                  "a new task field needs its key here and in readTask");
    return encodeArray(tasks, 200, [](JsonWriter& w, const Task& t) {
        w.raw("{");
        w.key("id", true);
        w.raw("\"");
        const auto id = uuidChars(t.id);
        w.raw(std::string_view(id.data(), id.size()));
        w.raw("\"");
        w.key("name");
        w.string(t.name);
        w.key("created");
        if (!w.number(t.created.secondsSinceReferenceDate)) {
            return false;
        }
        w.key("isSnoozed");
        w.boolean(t.isSnoozed);
        if (!writeOptionalDate(w, "snoozedUntil", t.snoozedUntil)) {
            return false;
        }
        w.key("isTutorial");
        w.boolean(t.isTutorial);
        w.key("isDone");
        w.boolean(t.isDone);
        if (!writeOptionalDate(w, "doneDate", t.doneDate)) {
            return false;
        }
        w.raw("}");
        return true;
    });
}

std::optional<std::vector<Task>> decodeTasks(const QByteArray& json) {
    return decodeArray<Task>(json, readTask);
}

std::optional<QByteArray> encodeSystemMessages(const std::vector<SystemMessage>& messages) {
    return encodeArray(messages, 300, [](JsonWriter& w, const SystemMessage& m) {
        w.raw("{");
        w.key("id", true);
        w.integer(m.id);
        w.key("created_at");
        w.integer(m.created_at);
        w.key("platform");
        w.raw("[");
        for (qsizetype i = 0; i < m.platform.size(); ++i) {
            if (i > 0) {
                w.raw(",");
            }
            w.string(m.platform[i]);
        }
        w.raw("]");
        w.key("min_version");
        w.string(m.min_version);
        w.key("max_version");
        w.string(m.max_version);
        w.key("message");
        w.string(m.message);
        w.key("cta_text");
        w.string(m.cta_text);
        w.key("cta_url");
        w.string(m.cta_url);
        w.key("isSnoozed");
        w.boolean(m.isSnoozed);
        if (!writeOptionalDate(w, "snoozedUntil", m.snoozedUntil)) {
            return false;
        }
        w.raw("}");
        return true;
    });
}

std::optional<std::vector<SystemMessage>> decodeSystemMessages(const QByteArray& json) {
    return decodeArray<SystemMessage>(json, readMessage);
}

QByteArray encodeIntegers(const std::vector<std::int64_t>& values) {
    return *encodeArray(values, 12, [](JsonWriter& w, std::int64_t v) {
        w.integer(v);
        return true;
    });
}

std::optional<std::vector<std::int64_t>> decodeIntegers(const QByteArray& json) {
    return decodeArray<std::int64_t>(json, readInt64);
}

} // namespace Json
