#include "HotKey/portal/PortalHotKeyService.h"

#include "HotKey/Diagnostics.h"
#include "HotKey/portal/PortalRequest.h"

#include "HotKey/portal/PortalBackends.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QFileInfo>
#include <QGuiApplication>
#include <QWindow>

#include <chrono>

namespace {

const QString connectionName = QStringLiteral("quenby-shortcuts-portal");
const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString registryInterface = QStringLiteral("org.freedesktop.host.portal.Registry");
const QString sessionInterface = QStringLiteral("org.freedesktop.portal.Session");
// At login our first call is what starts the portal, and its backend, on a busy machine.
constexpr int connectTimeoutMs = 20000;
// Creating a session asks nobody; binding may wait on a dialog as long as the user likes.
constexpr std::chrono::seconds sessionDeadline{30};
// 1, 2, 4, 8, 16 and 32 seconds.
constexpr unsigned maxRetries = 6;

void printLine(const QString& line) {
    HotKeyDiagnostics::printLine(QStringLiteral("Shortcuts portal: ") + line);
}

// Says why the portal binds nothing and what the user can do instead: the command line's
// actions, bound in the desktop's own settings.
void printFallback(const QString& why) {
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    printLine(QStringLiteral("%1; bind keys to `%2 --action …` in the desktop's own shortcut "
                             "settings instead")
                  .arg(why, program));
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
    if (const std::optional<QStringList> foreign = installedForeignShortcutsBackend()) {
        const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
        printFallback(
            QStringLiteral("not used: its shortcuts would come from the backend for %1, "
                           "which delivers no keys on this desktop (%2)")
                .arg(foreign->join(u'/'), desktop.isEmpty() ? QStringLiteral("unnamed") : desktop));
        return nullptr;
    }
    const QDBusConnection connection =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName);
    if (!connection.isConnected()) {
        QDBusConnection::disconnectFromBus(connectionName);
        printFallback(QStringLiteral("not used: no session bus"));
        return nullptr;
    }
    std::unique_ptr<PortalHotKeyService> service(new PortalHotKeyService(connection));
    if (!service->connectPortal()) {
        printFallback(QStringLiteral("not used: the desktop offers no global shortcuts"));
        return nullptr;
    }
    return service;
}

PortalHotKeyService::PortalHotKeyService(const QDBusConnection& connection)
    : connection_(connection) {
    registerPortalShortcutTypes();
    for (QTimer* timer : {&bindTimer_, &retryTimer_}) {
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, &PortalHotKeyService::bind);
    }
    bindTimer_.setInterval(0);
    for (const char* name : {"Activated", "Deactivated", "ShortcutsChanged"}) {
        connection_.connect(portalService, portalPath, shortcutsInterface,
                            QString::fromLatin1(name), this, SLOT(portalSignal(QDBusMessage)));
    }
    // Any path: the session's is known only once it exists.
    connection_.connect(portalService, {}, sessionInterface, QStringLiteral("Closed"), this,
                        SLOT(sessionClosed(QDBusMessage)));
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
    portalOwner_ = connection_.interface()->serviceOwner(portalService).value();
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
    if (inFlight_) {
        bindAgain_ = true;
        return;
    }
    retryTimer_.stop();
    closeSession();
    if (bindings_.empty()) {
        return;
    }
    inFlight_ = true;
    const QString token = nextToken();
    QDBusMessage call = portalCall(QStringLiteral("CreateSession"));
    call << QVariantMap{{QStringLiteral("handle_token"), token},
                        {QStringLiteral("session_handle_token"), nextSessionToken()},
                        {QStringLiteral("shortcuts"), QVariant::fromValue(bindings_.requested())}};
    PortalRequest::send(
        connection_, call, token, sessionDeadline,
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
        settle(bindings_.refuseAll(QStringLiteral("the portal refused: ") + reason), true);
        return;
    }
    bindings_.setSession(session);
    const QString token = nextToken();
    QDBusMessage call = portalCall(QStringLiteral("BindShortcuts"));
    call << QVariant::fromValue(QDBusObjectPath(session))
         << QVariant::fromValue(bindings_.requested()) << parentWindow()
         << QVariantMap{{QStringLiteral("handle_token"), token}};
    PortalRequest::send(
        connection_, call, token, std::chrono::seconds::zero(),
        [this, generation = generation_](const PortalAnswer& bound) {
            if (generation == generation_) {
                shortcutsBound(bound);
            }
        },
        this);
}

void PortalHotKeyService::shortcutsBound(const PortalAnswer& answer) {
    if (!answer.error.isEmpty()) {
        settle(bindings_.refuseAll(QStringLiteral("the portal refused: ") + answer.error), true);
        return;
    }
    // A cancelled dialog is the user's answer: asking again would only pester them.
    settle(bindings_.answer(answer.response, answer.results),
           answer.response != PortalBindings::responseDone &&
               answer.response != PortalBindings::responseCancelled);
}

void PortalHotKeyService::settle(const std::vector<PortalBindings::Outcome>& outcomes, bool retry) {
    inFlight_ = false;
    const int bound = report(outcomes);
    if (std::exchange(bindAgain_, false)) {
        retries_ = 0;
        bindTimer_.start();
        return;
    }
    if (retry && retries_ < maxRetries) {
        const int seconds = 1 << retries_;
        ++retries_;
        printLine(QStringLiteral("trying again in %1 s (retry %2 of %3)")
                      .arg(seconds)
                      .arg(retries_)
                      .arg(maxRetries));
        retryTimer_.start(std::chrono::seconds(seconds));
        return;
    }
    retries_ = 0;
    if (bound == 0 && !outcomes.empty()) {
        printFallback(
            QStringLiteral("nothing bound (%1)").arg(outcomes.front().binding.refusal.reason));
    }
}

int PortalHotKeyService::report(const std::vector<PortalBindings::Outcome>& outcomes) {
    int bound = 0;
    for (const PortalBindings::Outcome& outcome : outcomes) {
        if (outcome.binding.bound) {
            ++bound;
        } else if (const std::optional<KeyCombo> combo = bindings_.combo(outcome.handle)) {
            HotKeyDiagnostics::printRefusal(*combo, outcome.binding.refusal.reason);
        }
        if (bindingHandler_) {
            bindingHandler_(outcome.handle, outcome.binding);
        }
    }
    printLine(QStringLiteral("%1 of %2 shortcuts bound").arg(bound).arg(outcomes.size()));
    return bound;
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

void PortalHotKeyService::sessionClosed(const QDBusMessage& message) {
    if (bindings_.session().isEmpty() || message.path() != bindings_.session()) {
        return;
    }
    // An answer still due in that session no longer counts.
    ++generation_;
    bindings_.setSession({});
    settle(bindings_.refuseAll(QStringLiteral("the desktop closed the session")), true);
}

void PortalHotKeyService::portalOwnerChanged(const QString&, const QString&,
                                             const QString& newOwner) {
    // Our own first call started the portal we already met: the attempt in flight is its.
    if (newOwner == portalOwner_) {
        return;
    }
    // Anything in flight, and our session, went with the old portal.
    ++generation_;
    inFlight_ = false;
    bindAgain_ = false;
    retries_ = 0;
    sessions_ = 0;
    retryTimer_.stop();
    bindings_.setSession({});
    portalOwner_ = newOwner;
    if (newOwner.isEmpty()) {
        report(bindings_.refuseAll(QStringLiteral("the portal stopped")));
    } else if (connectPortal()) {
        bind();
    } else {
        report(bindings_.refuseAll(QStringLiteral("the new portal offers no global shortcuts")));
    }
}

QDBusMessage PortalHotKeyService::portalCall(const QString& method) const {
    return QDBusMessage::createMethodCall(portalService, portalPath, shortcutsInterface, method);
}

QString PortalHotKeyService::nextSessionToken() {
    // Plasma 5.27 files the shortcuts under the session token, so each portal's first session
    // keeps the one name; later ones get their own, lest they meet a session the portal still
    // holds.
    ++sessions_;
    return sessions_ == 1 ? QStringLiteral("quenby") : QStringLiteral("quenby_%1").arg(sessions_);
}

QString PortalHotKeyService::nextToken() {
    return QStringLiteral("quenby%1").arg(++tokens_);
}
