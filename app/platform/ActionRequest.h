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

    QByteArray encoded() const;
    // Nothing when `line` is not an action request.
    static std::optional<ActionRequest> decoded(const QByteArray& line);
};

struct ActionReply {
    bool done = false;
    // What was done, or why not.
    QString message;

    QByteArray encoded() const;
    static std::optional<ActionReply> decoded(const QByteArray& line);
};
