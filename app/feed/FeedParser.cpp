#include "feed/FeedParser.h"

#include <simdjson.h>

#include <array>
#include <charconv>
#include <chrono>
#include <optional>
#include <string_view>

namespace {

namespace dom = simdjson::dom;

// The value lines. Feed text is printed as one line each: a control character in it
// becomes a space, so a feed can never forge a diagnostic line of its own.
class ValueLines {
public:
    explicit ValueLines(qsizetype expectedBytes) { text_.reserve(expectedBytes); }

    void add(std::string_view label, std::string_view value) {
        if (!text_.isEmpty()) {
            text_ += '\n';
        }
        text_.append(label.data(), static_cast<qsizetype>(label.size()));
        text_ += ' ';
        append(value);
    }

    void add(std::string_view label, std::int64_t value) {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        add(label, std::string_view(digits, static_cast<size_t>(end - digits)));
    }

    // label ["a", "b"]
    void add(std::string_view label, const std::vector<std::string_view>& list) {
        add(label, "[");
        for (size_t i = 0; i < list.size(); ++i) {
            text_ += i ? ", \"" : "\"";
            append(list[i]);
            text_ += '"';
        }
        text_ += ']';
    }

    QByteArray take() { return std::move(text_); }

private:
    void append(std::string_view value) {
        text_.append(value.data(), static_cast<qsizetype>(value.size()));
        char* const end = text_.data() + text_.size();
        for (char* c = end - value.size(); c != end; ++c) {
            if (static_cast<unsigned char>(*c) < 0x20) {
                *c = ' ';
            }
        }
    }

    QByteArray text_;
};

// Seconds since 1970 as a UTC time, "2024-05-01 09:30:00 +0000"; years outside 1 to 9999
// stay a plain number.
void addUtcTime(ValueLines& lines, std::string_view label, std::int64_t unixSeconds) {
    using namespace std::chrono;
    constexpr std::int64_t first = -62135596800; // 0001-01-01 00:00:00
    constexpr std::int64_t last = 253402300799;  // 9999-12-31 23:59:59
    if (unixSeconds < first || unixSeconds > last) {
        lines.add(label, unixSeconds);
        return;
    }
    const sys_seconds time{seconds{unixSeconds}};
    const sys_days day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{time - day};
    char text[] = "0000-00-00 00:00:00 +0000";
    const auto put = [&text](size_t at, int digits, long value) {
        for (size_t i = at + static_cast<size_t>(digits); i-- > at; value /= 10) {
            text[i] = static_cast<char>('0' + value % 10);
        }
    };
    put(0, 4, static_cast<int>(date.year()));
    put(5, 2, static_cast<unsigned>(date.month()));
    put(8, 2, static_cast<unsigned>(date.day()));
    put(11, 2, clock.hours().count());
    put(14, 2, clock.minutes().count());
    put(17, 2, static_cast<long>(clock.seconds().count()));
    lines.add(label, std::string_view(text, sizeof text - 1));
}

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The feed keys, in the order of their value lines.
enum Key : size_t { Id, CreatedAt, Platform, MinVersion, MaxVersion, Message, CtaText, CtaUrl };
constexpr std::array<std::string_view, 8> keys = {
    "id",      "created_at", "platform", "minimum_version", "maximum_version",
    "message", "cta_text",   "cta_url"};
constexpr std::array<std::string_view, 8> labels = {
    "id:",      "created_at:", "platform:", "minimum_version:", "maximum_version:",
    "message:", "cta_text:",   "cta_url:"};

using Value = std::optional<dom::element>;

// The value of each feed key (the first, when a key is repeated) in one pass.
std::array<Value, keys.size()> valuesByKey(dom::object object) {
    std::array<Value, keys.size()> values;
    for (const dom::key_value_pair field : object) {
        for (size_t k = 0; k < keys.size(); ++k) {
            if (field.key == keys[k]) {
                if (!values[k]) {
                    values[k] = field.value;
                }
                break;
            }
        }
    }
    return values;
}

// A value of another JSON type counts as absent.
template <typename T> bool read(const Value& value, T& out) {
    return value && !value->get<T>().get(out);
}

// A list that holds anything but strings counts as absent as a whole.
bool readStrings(const Value& value, std::vector<std::string_view>& out) {
    dom::array list;
    if (!read(value, list)) {
        return false;
    }
    for (const dom::element item : list) {
        std::string_view s;
        if (item.get_string().get(s)) {
            return false;
        }
        out.push_back(s);
    }
    return true;
}

SystemMessage readMessage(dom::object object, ValueLines& lines) {
    const auto values = valuesByKey(object);
    SystemMessage m;
    if (read(values[Id], m.id)) {
        lines.add(labels[Id], m.id);
    }
    if (read(values[CreatedAt], m.created_at)) {
        lines.add(labels[CreatedAt], m.created_at);
        addUtcTime(lines, "createdD:", m.created_at);
    }
    std::vector<std::string_view> platform;
    if (readStrings(values[Platform], platform)) {
        for (const std::string_view p : platform) {
            m.platform.append(fromUtf8(p));
        }
        lines.add(labels[Platform], platform);
    }
    QString SystemMessage::*const texts[] = {&SystemMessage::min_version,
                                             &SystemMessage::max_version, &SystemMessage::message,
                                             &SystemMessage::cta_text, &SystemMessage::cta_url};
    for (size_t k = MinVersion; k <= CtaUrl; ++k) {
        std::string_view text;
        if (read(values[k], text)) {
            m.*texts[k - MinVersion] = fromUtf8(text);
            lines.add(labels[k], text);
        }
    }
    return m;
}

Feed::ParsedFeed refuse(const char* problem) {
    return {std::nullopt, QString::fromUtf8(problem), {}};
}

} // namespace

namespace Feed {

ParsedFeed parseFeed(const QByteArray& body) {
    // The parser validates UTF-8, limits nesting depth and rejects anything after the root.
    dom::parser parser;
    dom::element root;
    if (const auto error =
            parser.parse(body.constData(), static_cast<size_t>(body.size())).get(root)) {
        return refuse(simdjson::error_message(error));
    }
    dom::array array;
    if (root.get_array().get(array)) {
        return refuse("the top level is not an array");
    }
    for (const dom::element element : array) {
        if (!element.is_object()) {
            return refuse("an element is not an object");
        }
    }
    std::vector<SystemMessage> messages;
    messages.reserve(array.size());
    // The lines repeat the values with their labels: about twice the body at most.
    ValueLines lines(body.size() * 2);
    for (const dom::element element : array) {
        messages.push_back(readMessage(element.get_object().value_unsafe(), lines));
    }
    return {std::move(messages), {}, lines.take()};
}

} // namespace Feed
