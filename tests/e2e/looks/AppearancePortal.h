#pragma once

#include "tests/support/Processes.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>

// A private session bus whose desktop portal answers the appearance setting: the light or
// dark the desktop would ask for, switched at will with the portal's change signal.
class AppearancePortal : public QDBusVirtualObject {
public:
    enum Scheme : uint { Dark = 1, Light = 2 };

    AppearancePortal() {
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {"--session", "--nofork", "--nopidfile", "--print-address=1"});
        E2E::waitUntil([this] { return daemon_.canReadLine(); });
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        QDBusConnection bus = connection();
        bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
        bus.registerVirtualObject(path, this);
    }
    ~AppearancePortal() override {
        QDBusConnection::disconnectFromBus(name);
        daemon_.kill();
        daemon_.waitForFinished(1000);
    }
    AppearancePortal(const AppearancePortal&) = delete;
    AppearancePortal& operator=(const AppearancePortal&) = delete;

    // For DBUS_SESSION_BUS_ADDRESS; empty when the bus did not start.
    const QString& address() const { return address_; }

    void setScheme(Scheme scheme) {
        scheme_ = scheme;
        QDBusMessage changed =
            QDBusMessage::createSignal(path, settings, QStringLiteral("SettingChanged"));
        changed << group << key << QVariant::fromValue(QDBusVariant(uint{scheme_}));
        connection().send(changed);
    }

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override {
        if (message.interface() != settings || message.member() != QLatin1String("Read") ||
            message.arguments() != QVariantList{group, key}) {
            return false;
        }
        // Read wraps the value in one variant more.
        const QDBusVariant inner(uint{scheme_});
        return bus.send(
            message.createReply(QVariant::fromValue(QDBusVariant(QVariant::fromValue(inner)))));
    }

private:
    QDBusConnection connection() const { return QDBusConnection::connectToBus(address_, name); }

    static inline const QString name = QStringLiteral("appearance-portal");
    static inline const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
    static inline const QString settings = QStringLiteral("org.freedesktop.portal.Settings");
    static inline const QString group = QStringLiteral("org.freedesktop.appearance");
    static inline const QString key = QStringLiteral("color-scheme");

    QProcess daemon_;
    QString address_;
    Scheme scheme_ = Light;
};
