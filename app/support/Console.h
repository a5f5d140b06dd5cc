#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <string_view>
#include <type_traits>

// Diagnostic lines on standard output: items separated by one space, booleans as
// true/false, one line per call, flushed at once so a watching process sees it.
namespace Console {

namespace detail {
inline void append(QByteArray& line, const QString& s) {
    line += s.toUtf8();
}
inline void append(QByteArray& line, const char* s) {
    line += s;
}
inline void append(QByteArray& line, std::string_view s) {
    line.append(s.data(), static_cast<qsizetype>(s.size()));
}
inline void append(QByteArray& line, const QByteArray& s) {
    line += s;
}
inline void append(QByteArray& line, bool b) {
    line += b ? "true" : "false";
}
template <typename N>
requires std::is_arithmetic_v<N>
void append(QByteArray& line, N n) {
    line += QByteArray::number(n);
}
} // namespace detail

template <typename... Items> void printLine(const Items&... items) {
    QByteArray line;
    bool first = true;
    ((line += first ? "" : " ", first = false, detail::append(line, items)), ...);
    line += '\n';
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    std::fflush(stdout);
}

// `text` with its control characters (an escape sequence's ESC, a line break, C1 codes)
// written out as \xNN, so that a name printed to a terminal cannot drive it.
inline QString escaped(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control) {
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace Console
