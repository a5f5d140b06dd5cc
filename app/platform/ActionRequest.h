#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A panel action asked for by a later launch (`quenby --action done`) and the running
// panel's answer, as they travel over the single-instance socket: one line each way.
struct ActionRequest {
    QString name;
    // What to add, for the add action; empty otherwise.
    QString text;
    // The launcher's xdg-activation token, which lets a Wayland panel take the keyboard.
    QByteArray activationToken;
    // Names the request across retries, so that the panel applies it once; set when sent.
    QByteArray id{};

    // The longest line either end takes: a longer request is refused before it is sent.
    static constexpr qsizetype longestLine = 64 * 1024;

    QByteArray encoded() const;
    // Nothing when `line` is not an action request.
    static std::optional<ActionRequest> decoded(const QByteArray& line);
};

struct ActionReply {
    bool done = false;
    // What was done, or why not.
    QString message;
    // Done, but held in memory only: the store refused the change.
    bool unsaved = false;
    // Not the answer yet: it comes once what was asked for has ended (a sync). Never sent.
    bool pending = false;

    // The command's exit status: 0 done and stored, 1 not done, 3 done but not stored.
    int exitStatus() const { return done ? (unsaved ? 3 : 0) : 1; }

    QByteArray encoded() const;
    static std::optional<ActionReply> decoded(const QByteArray& line);
};
