#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

class PreferenceStore;

// The account the task list syncs with, kept in a store value of its own. The password is
// never here: it is in the desktop's secret store, or in a file only the user can read.
struct SyncAccount {
    QUrl server;
    QString user;
    QUrl collection;
    // Read at every sync where no secret store runs; empty when the secret store keeps it.
    QString passwordFile;

    QByteArray encode() const;
    // Nullopt for anything that is not an account this wrote.
    static std::optional<SyncAccount> decode(const QByteArray& json);

    // Nullopt when none is set up; an unreadable one too, after a line saying so.
    static std::optional<SyncAccount> load(const PreferenceStore& store);
    [[nodiscard]] bool save(const PreferenceStore& store) const;
    // Forgets the account and what the last sync knew of the server; the tasks stay.
    [[nodiscard]] static bool forget(const PreferenceStore& store);

    // Why an address is not one to send a password to (empty when it is): https, or plain
    // http to this machine only.
    static QString refusal(const QUrl& address);
};
