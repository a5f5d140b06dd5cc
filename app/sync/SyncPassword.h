#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

// The sync password: in the desktop's secret store, or where none runs, in a file only the
// user can read. Never in the config folder.
namespace SyncPassword {

// The password, or why there is none.
struct Lookup {
    std::optional<QString> value;
    QString failure;
};

// Reads the file's first line; refused unless the user owns it and nobody else may read or
// write it.
Lookup fromFile(const QString& path);

// The secret store's entry for an account.
QString entryFor(const QString& user, const QUrl& server);
// Reads the entry; `done` runs on this thread once the secret store answers, unless
// `context` is gone by then.
void read(const QString& entry, const QObject* context, std::function<void(Lookup)> done);
// Store and remove an entry, waiting for the answer; each says why it failed, or nothing.
QString store(const QString& entry, const QString& password);
QString forget(const QString& entry);

} // namespace SyncPassword
