#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <chrono>
#include <functional>

// The portal's answer to one request: its response code (0 done, 1 cancelled, 2 other) and
// results, or the error with which the call itself failed.
struct PortalAnswer {
    unsigned response = 2;
    QVariantMap results;
    QString error;
};

// One call to the portal that answers through a Request object's Response signal. The signal is
// subscribed before the call goes out, since the answer may come before the call returns.
// Answers `done` once, then deletes itself; never answers when its parent goes first. A portal
// that accepts the call and then never answers is given up on after a deadline, where set.
class PortalRequest final : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const PortalAnswer&)>;

    // `call` carries `token` as the handle_token of its options; a zero `deadline` waits for as
    // long as the portal takes.
    static void send(QDBusConnection connection, const QDBusMessage& call, const QString& token,
                     std::chrono::seconds deadline, Done done, QObject* parent);

    // The object path of the request a call with `token` makes from `uniqueName`.
    static QString path(const QString& uniqueName, const QString& token);

private slots:
    void response(uint code, const QVariantMap& results);

private:
    PortalRequest(QDBusConnection connection, QString path, Done done, QObject* parent);
    void finish(const PortalAnswer& answer);

    QDBusConnection connection_;
    const QString path_;
    Done done_;
};
