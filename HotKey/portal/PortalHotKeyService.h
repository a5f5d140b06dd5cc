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
// reaches the registry through the binding handler. A portal that restarts is bound again.
class PortalHotKeyService final : public QObject, public HotKeyService {
    Q_OBJECT
public:
    // None unless the session bus has a portal offering global shortcuts.
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
    // Activated, Deactivated and ShortcutsChanged, read from the message itself: slots with
    // their typed arguments do not connect on Qt 6.4.
    void portalSignal(const QDBusMessage& message);
    void portalOwnerChanged(const QString& name, const QString& oldOwner, const QString& newOwner);

private:
    explicit PortalHotKeyService(const QDBusConnection& connection);

    // Meets the portal: whether it offers global shortcuts; registers the application and
    // reads the interface's version.
    bool connectPortal();
    void bind();
    void sessionCreated(const PortalAnswer& answer);
    void report(const std::vector<PortalBindings::Outcome>& outcomes);
    void closeSession();
    void deliver(const QString& session, const QString& shortcutId, std::uint32_t kind) const;
    QDBusMessage portalCall(const QString& method) const;
    QString nextToken();

    QDBusConnection connection_;
    PortalBindings bindings_;
    EventHandler eventHandler_;
    BindingHandler bindingHandler_;
    QTimer bindTimer_;
    unsigned version_ = 0;
    unsigned tokens_ = 0;
    // Answers to an earlier binding are dropped once a new one started.
    unsigned generation_ = 0;
};
