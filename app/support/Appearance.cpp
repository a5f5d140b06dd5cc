#include "support/Appearance.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QPalette>
#include <QPointer>

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearanceGroup = QStringLiteral("org.freedesktop.appearance");
const QString colorSchemeKey = QStringLiteral("color-scheme");
// A missing portal answers at once with an error; a hung one must not delay start-up.
constexpr int portalTimeoutMs = 500;

// The portal's value is a variant, sometimes wrapped in another: 1 dark, 2 light.
std::optional<Appearance::Scheme> schemeFromPortal(QVariant value) {
    while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>()) {
        value = value.value<QDBusVariant>().variant();
    }
    bool ok = false;
    const uint v = value.toUInt(&ok);
    if (ok && v == 1) {
        return Appearance::Scheme::Dark;
    }
    if (ok && v == 2) {
        return Appearance::Scheme::Light;
    }
    return std::nullopt;
}

Appearance::Scheme schemeFromPalette() {
    const QPalette palette = QGuiApplication::palette();
    return palette.color(QPalette::Window).lightness() <
                   palette.color(QPalette::WindowText).lightness()
               ? Appearance::Scheme::Dark
               : Appearance::Scheme::Light;
}

// Without an address or the standard socket, connecting would make libdbus autolaunch a
// bus (starting a daemon) only to ask about colours; there is no portal then anyway.
bool sessionBusExists() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        return true;
    }
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo(runtime + QStringLiteral("/bus")).exists();
}

} // namespace

Appearance& Appearance::shared() {
    static QPointer<Appearance> instance;
    if (!instance) {
        instance = new Appearance(qApp);
    }
    return *instance;
}

Appearance::Appearance(QObject* parent)
    : QObject(parent) {
    current_ = schemeFromPalette();
    if (qApp) {
        qApp->installEventFilter(this);
    }
    askPortal();
}

void Appearance::askPortal() {
    if (!sessionBusExists()) {
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    bus.connect(portalService, portalPath, settingsInterface, QStringLiteral("SettingChanged"),
                this, SLOT(portalSettingChanged(QString, QString, QDBusVariant)));
    QDBusMessage read = QDBusMessage::createMethodCall(portalService, portalPath, settingsInterface,
                                                       QStringLiteral("Read"));
    read << appearanceGroup << colorSchemeKey;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(read, portalTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<QVariant> reply = *w;
        if (!reply.isError()) {
            setPortalScheme(schemeFromPortal(reply.value()));
        }
        w->deleteLater();
    });
}

void Appearance::portalSettingChanged(const QString& group, const QString& key,
                                      const QDBusVariant& value) {
    if (group == appearanceGroup && key == colorSchemeKey) {
        setPortalScheme(schemeFromPortal(value.variant()));
    }
}

void Appearance::setPortalScheme(std::optional<Scheme> scheme) {
    portalScheme_ = scheme;
    update();
}

bool Appearance::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange) {
        update();
    }
    return QObject::eventFilter(watched, event);
}

void Appearance::update() {
    const Scheme next = portalScheme_.value_or(schemeFromPalette());
    if (next != current_) {
        current_ = next;
        emit changed();
    }
}
