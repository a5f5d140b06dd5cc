#pragma once

#include "sync/SyncPassword.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>

// The sync password in the desktop's secret store, through QtKeychain. Its calls run on a
// thread of their own, the same for the whole process.
namespace SecretStore {

// These wait for the answer, `patience` at most, in an event loop of the calling thread:
// never call them on the GUI's. Quitting the calling thread ends the wait.
inline constexpr std::chrono::seconds defaultPatience{60};
SyncPassword::Lookup read(const QString& entry,
                          std::chrono::milliseconds patience = defaultPatience);
// Says why it failed, or nothing.
QString store(const QString& entry, const QString& password,
              std::chrono::milliseconds patience = defaultPatience);
// These return at once; `done` gets the failure (or nothing) on the thread of `context`,
// unless `context` is gone by then.
void store(const QString& entry, const QString& password, const QObject* context,
           std::function<void(const QString&)> done);
void forget(const QString& entry, const QObject* context, std::function<void(const QString&)> done);

} // namespace SecretStore
