#pragma once

#include <QString>

// The names of the stored values, each named here and nowhere else.
namespace StoreKeys {

inline const QString tasksData = QStringLiteral("tasksData");
inline const QString systemMessages = QStringLiteral("systemMessages");
inline const QString seenSystemMessages = QStringLiteral("seenSystemMessages");
inline const QString keyIndexes = QStringLiteral("keyIndexes");
inline const QString launchOnStartup = QStringLiteral("launchOnStartup");
inline const QString startupSet = QStringLiteral("startupSet");
inline const QString tutorialsAdded = QStringLiteral("tutorialsAdded");
inline const QString panelOrigin = QStringLiteral("panelOrigin");
// The CalDAV sync's token, ETags and last synced form of each task.
inline const QString syncState = QStringLiteral("syncState");
// The tasks the last syncs removed here, kept to be brought back.
inline const QString syncRemovedTasks = QStringLiteral("syncRemovedTasks");
// The CalDAV account: server, user, collection (never the password).
inline const QString syncAccount = QStringLiteral("syncAccount");

} // namespace StoreKeys
