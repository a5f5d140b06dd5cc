#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Which desktop's backend would answer the portal's global shortcuts. The portal picks a backend
// whose `.portal` file names the current desktop in UseIn; when none does, it falls back to any
// backend offering the interface, whose desktop may not be running at all (the KDE backend
// under sway binds keys that no KWin delivers).

// The desktops a backend offering global shortcuts was made for, when the `.portal` file
// describes one.
std::optional<QStringList> shortcutsBackendDesktops(const QByteArray& portalFile);

// The desktops of the backend the portal would fall back to, when every backend offering global
// shortcuts was made for desktops other than `currentDesktops` (XDG_CURRENT_DESKTOP's names);
// none when one was made for this desktop, or when no file says (then the portal knows best).
std::optional<QStringList> foreignShortcutsBackend(const QList<QByteArray>& portalFiles,
                                                   const QStringList& currentDesktops);

// The same for the backends installed here and the running desktop.
std::optional<QStringList> installedForeignShortcutsBackend();
