#include "platform/LoginItem.h"

#include "support/ConfigHome.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <algorithm>

namespace LoginItem {

namespace {

// The application's own desktop entry, with "Exec=" rewritten.
QByteArray desktopEntryTemplate() {
    QFile file(QStringLiteral(":/quenby.desktop"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

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

std::optional<QString> setEnabled(bool enabled, const QString& executable) {
    const QString path = entryPath();
    if (!enabled) {
        QFile entry(path);
        if (entry.exists() && !entry.remove()) {
            return entry.errorString();
        }
        return std::nullopt;
    }
    if (!QDir().mkpath(autostartDirectory())) {
        return QStringLiteral("cannot create ") + autostartDirectory();
    }
    QSaveFile file(path);
    const QByteArray text = entryText(executable);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        return file.errorString();
    }
    return std::nullopt;
}

QByteArray entryText(const QString& executable) {
    QByteArray text;
    for (const QByteArray& line : desktopEntryTemplate().split('\n')) {
        if (line.startsWith("Exec=")) {
            text += "Exec=" + execArgument(executable).toUtf8() + '\n';
        } else if (!line.isEmpty()) {
            text += line + '\n';
        }
    }
    text += "X-GNOME-Autostart-enabled=true\n";
    return text;
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
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    quoted.replace(u'\n', QStringLiteral("\\n"));
    quoted.replace(u'\t', QStringLiteral("\\t"));
    quoted.replace(u'\r', QStringLiteral("\\r"));
    return quoted;
}

} // namespace LoginItem
