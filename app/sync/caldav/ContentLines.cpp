#include "sync/caldav/ContentLines.h"

#include <algorithm>

namespace {

bool isContinuation(const QByteArray& line) {
    return line.startsWith(' ') || line.startsWith('\t');
}

QByteArray nameOf(const QByteArray& line) {
    qsizetype end = 0;
    while (end < line.size() && line[end] != ':' && line[end] != ';') {
        ++end;
    }
    return line.left(end).trimmed().toUpper();
}

QByteArray valueOf(const QByteArray& line) {
    const qsizetype colon = line.indexOf(':');
    return colon < 0 ? QByteArray() : line.mid(colon + 1).trimmed().toUpper();
}

} // namespace

namespace ContentLines {

QByteArray spliceTodo(const QByteArray& ics, const QList<QByteArray>& drop, const QByteArray& add) {
    enum class Where { before, inTodo, after } where = Where::before;
    int nested = 0;
    bool added = false;
    bool dropping = false;
    QByteArray out;
    out.reserve(ics.size() + add.size());
    qsizetype start = 0;
    while (start < ics.size()) {
        const qsizetype newline = ics.indexOf('\n', start);
        const qsizetype end = newline < 0 ? ics.size() : newline + 1;
        const QByteArray line = ics.mid(start, end - start);
        start = end;
        if (isContinuation(line)) {
            if (!dropping) {
                out += line;
            }
            continue;
        }
        dropping = false;
        const QByteArray name = nameOf(line);
        if (where == Where::before) {
            if (name == "BEGIN" && valueOf(line) == "VTODO") {
                where = Where::inTodo;
            }
        } else if (where == Where::inTodo) {
            const bool boundary = name == "BEGIN" || name == "END";
            if (boundary && nested == 0 && !added) {
                out += add;
                added = true;
            }
            if (name == "BEGIN") {
                ++nested;
            } else if (name == "END") {
                where = nested == 0 ? Where::after : where;
                nested = std::max(nested - 1, 0);
            } else if (nested == 0 && drop.contains(name)) {
                dropping = true;
                continue;
            }
        }
        out += line;
    }
    return out;
}

} // namespace ContentLines
