#pragma once

#include "HotKey/HotKeyService.h"
#include "HotKey/portal/PortalShortcut.h"

#include <QString>

#include <map>
#include <optional>
#include <vector>

// What the portal client knows of its shortcuts, apart from the bus: the registrations and
// their shortcut ids, the session they are bound in, and what each answer of the portal
// means for each registration.
class PortalBindings {
public:
    using Handle = HotKeyService::Handle;

    // The portal's answer codes.
    static constexpr unsigned responseDone = 0;
    static constexpr unsigned responseCancelled = 1;

    // What an answer means for one registration.
    struct Outcome {
        Handle handle = 0;
        HotKeyBinding binding;
    };

    Handle add(const KeyCombo& combo, EventHotKeyID id, const HotKeyPurpose& purpose);
    void remove(Handle handle);
    bool empty() const { return registrations_.empty(); }

    // The shortcuts to ask for: each with its description and preferred trigger.
    PortalShortcuts requested() const;

    // Our session's handle; empty when there is none.
    const QString& session() const { return session_; }
    void setSession(const QString& session) { session_ = session; }

    // Each registration's outcome of the answer to BindShortcuts.
    std::vector<Outcome> answer(unsigned response, const QVariantMap& results) const;
    // Each registration's outcome when the desktop's bound set is now `bound`.
    std::vector<Outcome> boundSet(const PortalShortcuts& bound) const;
    // Every registration refused for `reason`.
    std::vector<Outcome> refuseAll(const QString& reason) const;

    // The registration an activation of `shortcutId` in `session` is for; none for another
    // session's shortcut or an id we never asked for.
    std::optional<EventHotKeyID> activation(const QString& session,
                                            const QString& shortcutId) const;
    // The combination of a registration, for the lines that name it.
    std::optional<KeyCombo> combo(Handle handle) const;

private:
    struct Registration {
        KeyCombo combo;
        EventHotKeyID id;
        QString shortcutId;
        QString description;
    };

    std::map<Handle, Registration> registrations_;
    Handle nextHandle_ = 1;
    QString session_;
};
