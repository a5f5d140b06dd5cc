#include "HotKey/portal/PortalBindings.h"

#include "HotKey/portal/PortalTrigger.h"

#include <algorithm>

PortalBindings::Handle PortalBindings::add(const KeyCombo& combo, EventHotKeyID id,
                                           const HotKeyPurpose& purpose) {
    // Unnamed shortcuts still need ids that stay the same from one start to the next.
    const QString shortcutId =
        purpose.id.isEmpty() ? portalTrigger(combo).value_or(combo.keyboardName()) : purpose.id;
    const QString description =
        purpose.description.isEmpty() ? combo.keyboardName() : purpose.description;
    registrations_.emplace(nextHandle_, Registration{combo, id, shortcutId, description});
    return nextHandle_++;
}

void PortalBindings::remove(Handle handle) {
    registrations_.erase(handle);
}

PortalShortcuts PortalBindings::requested() const {
    PortalShortcuts shortcuts;
    for (const auto& [handle, registration] : registrations_) {
        QVariantMap properties{{QStringLiteral("description"), registration.description}};
        if (const std::optional<QString> trigger = portalTrigger(registration.combo)) {
            properties.insert(QStringLiteral("preferred_trigger"), *trigger);
        }
        shortcuts.append({registration.shortcutId, properties});
    }
    return shortcuts;
}

std::vector<PortalBindings::Outcome> PortalBindings::answer(unsigned response,
                                                            const QVariantMap& results) const {
    if (response == responseDone) {
        return boundSet(portalShortcuts(results.value(QStringLiteral("shortcuts"))));
    }
    return refuseAll(response == responseCancelled
                         ? QStringLiteral("the desktop's shortcut dialog was cancelled")
                         : QStringLiteral("the desktop did not bind it"));
}

std::vector<PortalBindings::Outcome> PortalBindings::boundSet(const PortalShortcuts& bound) const {
    std::vector<Outcome> outcomes;
    for (const auto& [handle, registration] : registrations_) {
        const QString& id = registration.shortcutId;
        const auto found =
            std::find_if(bound.begin(), bound.end(),
                         [&id](const PortalShortcut& shortcut) { return shortcut.id == id; });
        if (found == bound.end()) {
            outcomes.push_back(
                {handle, {false, {}, {QStringLiteral("the desktop did not bind it"), false}}});
        } else {
            const QString trigger =
                found->properties.value(QStringLiteral("trigger_description")).toString();
            outcomes.push_back({handle, {true, trigger, {}}});
        }
    }
    return outcomes;
}

std::vector<PortalBindings::Outcome> PortalBindings::refuseAll(const QString& reason) const {
    std::vector<Outcome> outcomes;
    for (const auto& [handle, registration] : registrations_) {
        outcomes.push_back({handle, {false, {}, {reason, false}}});
    }
    return outcomes;
}

std::optional<EventHotKeyID> PortalBindings::activation(const QString& session,
                                                        const QString& shortcutId) const {
    if (session_.isEmpty() || session != session_) {
        return std::nullopt;
    }
    for (const auto& [handle, registration] : registrations_) {
        if (registration.shortcutId == shortcutId) {
            return registration.id;
        }
    }
    return std::nullopt;
}

std::optional<KeyCombo> PortalBindings::combo(Handle handle) const {
    const auto found = registrations_.find(handle);
    if (found == registrations_.end()) {
        return std::nullopt;
    }
    return found->second.combo;
}
