#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <chrono>
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

// Reads the file's first line; refused unless it is a small regular file that the user owns
// and nobody else may read or write. Never waits: a FIFO or a device is refused unopened.
Lookup fromFile(const QString& path);
// Overwrites the characters, where no other copy shares them, and empties the string.
void wipe(QString& secret);

// The secret store's entry for an account.
QString entryFor(const QString& user, const QUrl& server);

// The secret store's calls run on a thread of their own, the same for the whole process.
// These wait for the answer, `patience` at most, in an event loop of the calling thread:
// never call them on the GUI's. Quitting the calling thread ends the wait.
inline constexpr std::chrono::seconds secretStorePatience{60};
Lookup read(const QString& entry, std::chrono::milliseconds patience = secretStorePatience);
// Each says why it failed, or nothing.
QString store(const QString& entry, const QString& password,
              std::chrono::milliseconds patience = secretStorePatience);
QString forget(const QString& entry, std::chrono::milliseconds patience = secretStorePatience);
// These return at once; `done` gets the failure (or nothing) on the thread of `context`,
// unless `context` is gone by then.
void store(const QString& entry, const QString& password, const QObject* context,
           std::function<void(const QString&)> done);
void forget(const QString& entry, const QObject* context, std::function<void(const QString&)> done);

} // namespace SyncPassword
