#include "platform/LoginItem.h"

#include "support/ConfigHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace LoginItem {

namespace {

constexpr char installedName[] = "quenby";
// Our entry is a few hundred bytes; anything much larger is not ours to rewrite.
constexpr qint64 maxEntryBytes = 64 * 1024;

const QByteArray execKey = "Exec=";
const QByteArray tryExecKey = "TryExec=";
const QByteArray chosenKey = "X-Quenby-Chosen-Binary=";

// The application's own desktop entry, with "Exec=" rewritten.
QByteArray desktopEntryTemplate() {
    QFile file(QStringLiteral(":/quenby.desktop"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The general escapes of a desktop entry's string values.
QString escaped(QString value) {
    value.replace(u'\\', QStringLiteral("\\\\"));
    value.replace(u'\n', QStringLiteral("\\n"));
    value.replace(u'\t', QStringLiteral("\\t"));
    value.replace(u'\r', QStringLiteral("\\r"));
    if (value.startsWith(u' ')) {
        value.replace(0, 1, QStringLiteral("\\s"));
    }
    return value;
}

QString unescaped(const QString& value) {
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        const QChar next = value[++i];
        text += next == u's'   ? u' '
                : next == u'n' ? u'\n'
                : next == u't' ? u'\t'
                : next == u'r' ? u'\r'
                               : next;
    }
    return text;
}

// The entry with its Exec line starting `launcher`, TryExec after it, and the mark of a
// chosen binary when it is one; every other line as it was.
QByteArray withLauncher(const QByteArray& entry, const Launcher& launcher) {
    QByteArray lines = execKey + execArgument(launcher.program).toUtf8() + '\n' + tryExecKey +
                       escaped(launcher.program).toUtf8() + '\n';
    if (launcher.chosen) {
        lines += chosenKey + "true\n";
    }
    QByteArray text;
    bool placed = false;
    for (const QByteArray& line : entry.split('\n')) {
        if (line.startsWith(execKey) && !placed) {
            text += lines;
            placed = true;
        } else if (!line.isEmpty() && !line.startsWith(execKey) && !line.startsWith(tryExecKey) &&
                   !line.startsWith(chosenKey)) {
            text += line + '\n';
        }
    }
    return placed ? text : text + lines;
}

// The existing entry's text; nothing when there is none or it is no file of ours.
std::optional<QByteArray> existingEntry() {
    const QFileInfo info(entryPath());
    QFile file(entryPath());
    // Not opened unless a regular file: a FIFO would block.
    if (!info.isFile() || info.size() > maxEntryBytes || !file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return file.read(maxEntryBytes);
}

std::optional<QString> valueOf(const QByteArray& entry, const QByteArray& key) {
    for (const QByteArray& line : entry.split('\n')) {
        if (line.startsWith(key)) {
            return unescaped(QString::fromUtf8(line.mid(key.size())));
        }
    }
    return std::nullopt;
}

bool isExecutableFile(const QString& program) {
    const QFileInfo info(program);
    return info.isAbsolute() ? info.isFile() && info.isExecutable()
                             : !QStandardPaths::findExecutable(program).isEmpty();
}

std::optional<QString> write(const QByteArray& text) {
    if (!QDir().mkpath(autostartDirectory())) {
        return QStringLiteral("cannot create ") + autostartDirectory();
    }
    QSaveFile file(entryPath());
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        return file.errorString();
    }
    return std::nullopt;
}

} // namespace

Launcher launcherFor(const QString& running) {
    if (qEnvironmentVariable(thisBinaryVariable) == QLatin1String("1")) {
        return {running, true};
    }
    const QString installed = QStandardPaths::findExecutable(QLatin1String(installedName));
    return {installed.isEmpty() ? QLatin1String(installedName) : installed, false};
}

QString autostartDirectory() {
    return configHome() + QStringLiteral("/autostart");
}

QString entryPath() {
    return autostartDirectory() + u'/' + QLatin1String(bundleIdentifier) +
           QStringLiteral(".desktop");
}

bool isEnabled() {
    return QFile::exists(entryPath());
}

std::optional<QString> setEnabled(bool enabled, const Launcher& launcher) {
    if (!enabled) {
        QFile entry(entryPath());
        if (entry.exists() && !entry.remove()) {
            return entry.errorString();
        }
        return std::nullopt;
    }
    return write(entryText(launcher));
}

bool isStale(const Launcher& launcher) {
    const std::optional<QByteArray> entry = existingEntry();
    if (!entry) {
        return false;
    }
    const std::optional<QString> program = valueOf(*entry, tryExecKey);
    if (!program) {
        return true;
    }
    if (*program == launcher.program) {
        return valueOf(*entry, chosenKey).has_value() != launcher.chosen;
    }
    return launcher.chosen || !valueOf(*entry, chosenKey) || !isExecutableFile(*program);
}

std::optional<QString> correct(const Launcher& launcher) {
    const std::optional<QByteArray> entry = existingEntry();
    if (!entry) {
        return QStringLiteral("the entry is not a file that can be read");
    }
    return write(withLauncher(*entry, launcher));
}

QByteArray entryText(const Launcher& launcher) {
    return withLauncher(desktopEntryTemplate(), launcher) + "X-GNOME-Autostart-enabled=true\n";
}

QString execArgument(const QString& argument) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    const bool needsQuotes =
        argument.isEmpty() ||
        std::any_of(argument.begin(), argument.end(), [](QChar c) { return reserved.contains(c); });
    QString quoted;
    if (needsQuotes) {
        quoted += u'"';
        for (const QChar c : argument) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') {
                quoted += u'\\';
            }
            quoted += c;
        }
        quoted += u'"';
    } else {
        quoted = argument;
    }
    // Field codes start with %; then the general string escapes of the file format.
    quoted.replace(u'%', QStringLiteral("%%"));
    return escaped(quoted);
}

} // namespace LoginItem
