#include "HotKey/portal/PortalBackends.h"

#include <QDir>
#include <QFile>

namespace {

// Large enough for any backend's description; a larger file is not one.
constexpr qint64 maxPortalFileSize = 64 * 1024;

QStringList listValue(const QByteArray& portalFile, const QByteArray& key) {
    for (const QByteArray& line : portalFile.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.startsWith(key + '=')) {
            return QString::fromUtf8(trimmed.mid(key.size() + 1)).split(u';', Qt::SkipEmptyParts);
        }
    }
    return {};
}

} // namespace

std::optional<QStringList> shortcutsBackendDesktops(const QByteArray& portalFile) {
    if (!listValue(portalFile, "Interfaces")
             .contains(QStringLiteral("org.freedesktop.impl.portal.GlobalShortcuts"))) {
        return std::nullopt;
    }
    return listValue(portalFile, "UseIn");
}

std::optional<QStringList> foreignShortcutsBackend(const QList<QByteArray>& portalFiles,
                                                   const QStringList& currentDesktops) {
    std::optional<QStringList> foreign;
    for (const QByteArray& file : portalFiles) {
        const std::optional<QStringList> desktops = shortcutsBackendDesktops(file);
        if (!desktops) {
            continue;
        }
        for (const QString& desktop : *desktops) {
            if (currentDesktops.contains(desktop.trimmed(), Qt::CaseInsensitive)) {
                return std::nullopt;
            }
        }
        if (!foreign) {
            foreign = desktops;
        }
    }
    return foreign;
}

std::optional<QStringList> installedForeignShortcutsBackend() {
    // The portal's own override of where it looks, which its tests use too.
    const QString folder = qEnvironmentVariableIsEmpty("XDG_DESKTOP_PORTAL_DIR")
                               ? QStringLiteral("/usr/share/xdg-desktop-portal/portals")
                               : qEnvironmentVariable("XDG_DESKTOP_PORTAL_DIR");
    QList<QByteArray> files;
    for (const QFileInfo& info :
         QDir(folder).entryInfoList({QStringLiteral("*.portal")}, QDir::Files, QDir::Name)) {
        QFile file(info.filePath());
        if (info.size() <= maxPortalFileSize && file.open(QIODevice::ReadOnly)) {
            files.append(file.read(maxPortalFileSize));
        }
    }
    return foreignShortcutsBackend(
        files, qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts));
}
