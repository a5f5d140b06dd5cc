#include "HotKey/portal/PortalHotKeyService.h"

#include "HotKey/Diagnostics.h"
#include "HotKey/portal/PortalRequest.h"

#include <QDBusArgument>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QWindow>

namespace {

const QString connectionName = QStringLiteral("quenby-shortcuts-portal");
const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString registryInterface = QStringLiteral("org.freedesktop.host.portal.Registry");
// The same session path at every start, so desktops can tell it is us again.
const QString sessionToken = QStringLiteral("quenby");
// Long enough for the bus to start the portal.
constexpr int connectTimeoutMs = 5000;

void printLine(const QString& line) {
    HotKeyDiagnostics::printLine(QStringLiteral("Shortcuts portal: ") + line);
}

// The panel's window as the portal names a parent, so a dialog of the desktop's can sit on it;
// empty where there is no X11 window to name.
QString parentWindow() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return {};
    }
    for (const QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window->isVisible() && window->handle() != nullptr) {
            return QStringLiteral("x11:") + QString::number(window->winId(), 16);
        }
    }
    return {};
}

} // namespace

std::unique_ptr<PortalHotKeyService> PortalHotKeyService::create() {
    const QDBusConnection connection =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName);
    if (!connection.isConnected()) {
        QDBusConnection::disconnectFromBus(connectionName);
        return nullptr;
    }
    std::unique_ptr<PortalHotKeyService> service(new PortalHotKeyService(connection));
    if (!service->connectPortal()) {
        return nullptr;
    }
    return service;
}

PortalHotKeyService::PortalHotKeyService(const QDBusConnection& connection)
    : connection_(connection) {
    registerPortalShortcutTypes();
    bindTimer_.setSingleShot(true);
    bindTimer_.setInterval(0);
    connect(&bindTimer_, &QTimer::timeout, this, &PortalHotKeyService::bind);
    for (const char* name : {"Activated", "Deactivated", "ShortcutsChanged"}) {
        connection_.connect(portalService, portalPath, shortcutsInterface,
                            QString::fromLatin1(name), this, SLOT(portalSignal(QDBusMessage)));
    }
    auto* watcher = new QDBusServiceWatcher(portalService, connection_,
                                            QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            &PortalHotKeyService::portalOwnerChanged);
}

PortalHotKeyService::~PortalHotKeyService() {
    closeSession();
    connection_.disconnectFromBus(connectionName);
}

bool PortalHotKeyService::connectPortal() {
    QDBusMessage introspect = QDBusMessage::createMethodCall(
        portalService, portalPath, QStringLiteral("org.freedesktop.DBus.Introspectable"),
        QStringLiteral("Introspect"));
    const QDBusMessage description = connection_.call(introspect, QDBus::Block, connectTimeoutMs);
    const QString xml = description.arguments().value(0).toString();
    const auto offers = [&xml](const QString& interface) {
        return xml.contains(QStringLiteral("name=\"") + interface + u'"');
    };
    if (description.type() != QDBusMessage::ReplyMessage || !offers(shortcutsInterface)) {
        return false;
    }
    const QString appId = QGuiApplication::desktopFileName();
    if (offers(registryInterface) && !appId.isEmpty()) {
        QDBusMessage registration = QDBusMessage::createMethodCall(
            portalService, portalPath, registryInterface, QStringLiteral("Register"));
        registration << appId << QVariantMap{};
        const QDBusMessage reply = connection_.call(registration, QDBus::Block, connectTimeoutMs);
        if (reply.type() == QDBusMessage::ErrorMessage) {
            printLine(
                QStringLiteral("registering as %1 failed: %2").arg(appId, reply.errorMessage()));
        }
    }
    QDBusMessage get = QDBusMessage::createMethodCall(
        portalService, portalPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << shortcutsInterface << QStringLiteral("version");
    const QDBusMessage reply = connection_.call(get, QDBus::Block, connectTimeoutMs);
    version_ = reply.arguments().value(0).value<QDBusVariant>().variant().toUInt();
    printLine(QStringLiteral("version %1").arg(version_));
    return true;
}

std::optional<HotKeyService::Handle>
PortalHotKeyService::registerHotKey(const KeyCombo& combo, EventHotKeyID id,
                                    const HotKeyPurpose& purpose) {
    const Handle handle = bindings_.add(combo, id, purpose);
    bindTimer_.start();
    return handle;
}

void PortalHotKeyService::unregisterHotKey(Handle handle) {
    bindings_.remove(handle);
    bindTimer_.start();
}

void PortalHotKeyService::installEventHandler(EventHandler handler) {
    eventHandler_ = std::move(handler);
}

void PortalHotKeyService::installBindingHandler(BindingHandler handler) {
    bindingHandler_ = std::move(handler);
}

bool PortalHotKeyService::canConfigure() const {
    return version_ >= 2 && !bindings_.session().isEmpty();
}

void PortalHotKeyService::configure() {
    if (!canConfigure()) {
        return;
    }
    QDBusMessage call = portalCall(QStringLiteral("ConfigureShortcuts"));
    call << QVariant::fromValue(QDBusObjectPath(bindings_.session())) << parentWindow()
         << QVariantMap{};
    connection_.call(call, QDBus::NoBlock);
}

void PortalHotKeyService::bind() {
    ++generation_;
    closeSession();
    if (bindings_.empty()) {
        return;
    }
    const QString token = nextToken();
    QDBusMessage call = portalCall(QStringLiteral("CreateSession"));
    call << QVariantMap{{QStringLiteral("handle_token"), token},
                        {QStringLiteral("session_handle_token"), sessionToken},
                        {QStringLiteral("shortcuts"), QVariant::fromValue(bindings_.requested())}};
    PortalRequest::send(
        connection_, call, token,
        [this, generation = generation_](const PortalAnswer& answer) {
            if (generation == generation_) {
                sessionCreated(answer);
            }
        },
        this);
}

void PortalHotKeyService::sessionCreated(const PortalAnswer& answer) {
    const QVariant handle = answer.results.value(QStringLiteral("session_handle"));
    const QString session = handle.canConvert<QDBusObjectPath>()
                                ? handle.value<QDBusObjectPath>().path()
                                : handle.toString();
    if (!answer.error.isEmpty() || answer.response != PortalBindings::responseDone ||
        session.isEmpty()) {
        const QString reason = answer.error.isEmpty() ? QStringLiteral("no session") : answer.error;
        report(bindings_.refuseAll(QStringLiteral("the portal refused: ") + reason));
        return;
    }
    bindings_.setSession(session);
    const QString token = nextToken();
    QDBusMessage call = portalCall(QStringLiteral("BindShortcuts"));
    call << QVariant::fromValue(QDBusObjectPath(session))
         << QVariant::fromValue(bindings_.requested()) << parentWindow()
         << QVariantMap{{QStringLiteral("handle_token"), token}};
    PortalRequest::send(
        connection_, call, token,
        [this, generation = generation_](const PortalAnswer& bound) {
            if (generation != generation_) {
                return;
            }
            report(bound.error.isEmpty()
                       ? bindings_.answer(bound.response, bound.results)
                       : bindings_.refuseAll(QStringLiteral("the portal refused: ") + bound.error));
        },
        this);
}

void PortalHotKeyService::report(const std::vector<PortalBindings::Outcome>& outcomes) {
    int bound = 0;
    for (const PortalBindings::Outcome& outcome : outcomes) {
        if (outcome.binding.bound) {
            ++bound;
        } else if (const std::optional<KeyCombo> combo = bindings_.combo(outcome.handle)) {
            HotKeyDiagnostics::printRefusal(*combo, outcome.refusal);
        }
        if (bindingHandler_) {
            bindingHandler_(outcome.handle, outcome.binding);
        }
    }
    printLine(QStringLiteral("%1 of %2 shortcuts bound").arg(bound).arg(outcomes.size()));
}

void PortalHotKeyService::closeSession() {
    if (bindings_.session().isEmpty()) {
        return;
    }
    const QDBusMessage close = QDBusMessage::createMethodCall(
        portalService, bindings_.session(), QStringLiteral("org.freedesktop.portal.Session"),
        QStringLiteral("Close"));
    connection_.call(close, QDBus::NoBlock);
    bindings_.setSession({});
}

void PortalHotKeyService::portalSignal(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    const QString session = arguments.value(0).value<QDBusObjectPath>().path();
    if (message.member() == QLatin1String("ShortcutsChanged")) {
        if (!bindings_.session().isEmpty() && session == bindings_.session()) {
            report(bindings_.boundSet(portalShortcuts(arguments.value(1))));
        }
        return;
    }
    const bool pressed = message.member() == QLatin1String("Activated");
    if (pressed) {
        // Lets the window the shortcut brings up take the keyboard (portal 1.21 and later).
        const QString token = qdbus_cast<QVariantMap>(arguments.value(3))
                                  .value(QStringLiteral("activation_token"))
                                  .toString();
        if (!token.isEmpty()) {
            qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
        }
    }
    deliver(session, arguments.value(1).toString(),
            pressed ? kEventHotKeyPressed : kEventHotKeyReleased);
}

void PortalHotKeyService::deliver(const QString& session, const QString& shortcutId,
                                  std::uint32_t kind) const {
    const std::optional<EventHotKeyID> id = bindings_.activation(session, shortcutId);
    if (id && eventHandler_) {
        eventHandler_({*id, kind});
    }
}

void PortalHotKeyService::portalOwnerChanged(const QString&, const QString&,
                                             const QString& newOwner) {
    // Our session went with the old portal.
    ++generation_;
    bindings_.setSession({});
    if (newOwner.isEmpty()) {
        report(bindings_.refuseAll(QStringLiteral("the portal stopped")));
    } else if (connectPortal()) {
        bind();
    }
}

QDBusMessage PortalHotKeyService::portalCall(const QString& method) const {
    return QDBusMessage::createMethodCall(portalService, portalPath, shortcutsInterface, method);
}

QString PortalHotKeyService::nextToken() {
    return QStringLiteral("quenby%1").arg(++tokens_);
}
