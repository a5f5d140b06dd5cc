#pragma once

#include <QDBusArgument>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariantMap>

// One shortcut as the portal passes it, `(sa{sv})`: its id and its properties
// (description, preferred_trigger; trigger_description in the portal's answers).
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};
using PortalShortcuts = QList<PortalShortcut>;

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut);
const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut);

Q_DECLARE_METATYPE(PortalShortcut)

// Registers the D-Bus marshalling of the types above; safe to call more than once.
void registerPortalShortcutTypes();

// A list of shortcuts from an answer, whether still marshalled or already decoded; empty for
// anything else.
PortalShortcuts portalShortcuts(const QVariant& value);
