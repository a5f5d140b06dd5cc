#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// The sync password: in the desktop's secret store (reached through the SyncBackend), or
// where none runs, in a file only the user can read. Never in the config folder.
namespace SyncPassword {

// The password, or why there is none.
struct Lookup {
    std::optional<QString> value;
    QString failure;
};

// Reads the file's first line; refused unless it is a small regular file that the user owns
// and nobody else may read or write. Never waits: a FIFO or a device is refused unopened.
Lookup fromFile(const QString& path);
// Overwrites the characters, where no other copy shares them, and empties the string.
void wipe(QString& secret);

// The secret store's entry for an account.
QString entryFor(const QString& user, const QUrl& server);

} // namespace SyncPassword
