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
    // Nullopt for anything that is not an account to sync with.
    static std::optional<SyncAccount> decode(const QByteArray& json);

    // Nullopt when none is set up; an unreadable one too, after a line saying so. A user
    // or password that older versions kept in an address is removed from the store first.
    static std::optional<SyncAccount> load(const PreferenceStore& store);
    [[nodiscard]] bool save(const PreferenceStore& store) const;
    // Forgets the account and what the last sync knew of the server; the tasks stay.
    [[nodiscard]] static bool forget(const PreferenceStore& store);

    // Why an address is not one to send a password to (empty when it is): https, or plain
    // http to this machine only, and no user or password in the address itself.
    static QString refusal(const QUrl& address);
    // Why this account is not one to sync with (empty when it is): both addresses pass, and
    // the collection is on the server's origin, so the password goes nowhere else.
    QString refusal() const;
};
