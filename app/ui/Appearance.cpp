#include "ui/Appearance.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QFileInfo>
#include <QPalette>
#include <QPointer>

#include <utility>

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

// For a desktop that asks for dark while Qt's own palette stays light (Qt 6.4 reads no
// colour scheme), so that every window follows, not only the named colours.
QPalette darkPalette() {
    QPalette p;
    const QColor window(45, 45, 48);
    const QColor base(30, 30, 32);
    const QColor text(230, 230, 230);
    const QColor muted(128, 128, 128);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(60, 60, 64));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::ToolTipBase, window);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, muted);
    p.setColor(QPalette::Highlight, QColor(61, 111, 180));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(110, 160, 230));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        p.setColor(QPalette::Disabled, role, muted);
    }
    return p;
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
    // Taken as the whole message: Qt 6.4 refuses a slot with a QDBusVariant parameter here.
    bus.connect(portalService, portalPath, settingsInterface, QStringLiteral("SettingChanged"),
                this, SLOT(portalSettingChanged(QDBusMessage)));
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

void Appearance::portalSettingChanged(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() == 3 && arguments[0].toString() == appearanceGroup &&
        arguments[1].toString() == colorSchemeKey) {
        setPortalScheme(schemeFromPortal(arguments[2]));
    }
}

void Appearance::setPortalScheme(std::optional<Scheme> scheme) {
    portalScheme_ = scheme;
    const bool dark = scheme == Scheme::Dark;
    if (dark && !paletteBeforeDark_ && schemeFromPalette() == Scheme::Light) {
        paletteBeforeDark_ = QGuiApplication::palette();
        QGuiApplication::setPalette(darkPalette());
    } else if (!dark && paletteBeforeDark_) {
        QGuiApplication::setPalette(*std::exchange(paletteBeforeDark_, std::nullopt));
    }
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
