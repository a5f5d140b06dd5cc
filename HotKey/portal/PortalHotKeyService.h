#pragma once

#include "HotKey/HotKeyService.h"
#include "HotKey/portal/PortalBindings.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QTimer>

#include <memory>

struct PortalAnswer;

// Global shortcuts through the desktop portal's GlobalShortcuts interface (Wayland desktops).
//
// Runs on a private bus connection, so that registering the application with the portal's
// host registry is that connection's first portal call. Registrations are answered at once and
// gathered; a moment later they go to the portal together, in one session: CreateSession
// (which also carries them, for desktops that read them only there), then BindShortcuts. The
// desktop decides what it binds, possibly a part or nothing; its answer, and any later change,
// reaches the registry through the binding handler.
//
// One attempt is in flight at a time, each with tokens of its own. A refused or closed session
// is tried again after a growing pause; a portal that restarts gets everything bound again.
class PortalHotKeyService final : public QObject, public HotKeyService {
    Q_OBJECT
public:
    // None, with a line that says why and what to do instead, unless the session bus has a
    // portal offering global shortcuts through a backend made for this desktop.
    static std::unique_ptr<PortalHotKeyService> create();

    ~PortalHotKeyService() override;
    PortalHotKeyService(const PortalHotKeyService&) = delete;
    PortalHotKeyService& operator=(const PortalHotKeyService&) = delete;

    std::optional<Handle> registerHotKey(const KeyCombo& combo, EventHotKeyID id,
                                         const HotKeyPurpose& purpose) override;
    void unregisterHotKey(Handle handle) override;
    void installEventHandler(EventHandler handler) override;
    void installBindingHandler(BindingHandler handler) override;
    bool bindsLater() const override { return true; }
    bool canConfigure() const override;
    void configure() override;

private slots:
    // Activated, Deactivated, ShortcutsChanged and the session's Closed, read from the message
    // itself: slots with their typed arguments do not connect on Qt 6.4.
    void portalSignal(const QDBusMessage& message);
    void sessionClosed(const QDBusMessage& message);
    void portalOwnerChanged(const QString& name, const QString& oldOwner, const QString& newOwner);

private:
    explicit PortalHotKeyService(const QDBusConnection& connection);

    // Meets the portal: whether it offers global shortcuts; registers the application, reads
    // the interface's version and who owns the portal's name.
    bool connectPortal();
    void bind();
    void sessionCreated(const PortalAnswer& answer);
    void shortcutsBound(const PortalAnswer& answer);
    // The attempt in flight ended with `outcomes`; `retry` when its failure is worth another
    // one, after a pause that doubles each time.
    void settle(const std::vector<PortalBindings::Outcome>& outcomes, bool retry);
    // Hands the outcomes on and says them; the number bound.
    int report(const std::vector<PortalBindings::Outcome>& outcomes);
    void closeSession();
    void deliver(const QString& session, const QString& shortcutId, std::uint32_t kind) const;
    QDBusMessage portalCall(const QString& method) const;
    QString nextToken();
    QString nextSessionToken();

    QDBusConnection connection_;
    PortalBindings bindings_;
    EventHandler eventHandler_;
    BindingHandler bindingHandler_;
    QTimer bindTimer_;
    QTimer retryTimer_;
    unsigned version_ = 0;
    unsigned tokens_ = 0;
    unsigned retries_ = 0;
    // Sessions asked of the portal we met.
    unsigned sessions_ = 0;
    // The unique name of the portal we met; a change to it is a restart.
    QString portalOwner_;
    bool inFlight_ = false;
    // The registrations changed while an attempt was in flight.
    bool bindAgain_ = false;
    // Answers to an earlier attempt are dropped once it was abandoned.
    unsigned generation_ = 0;
};
