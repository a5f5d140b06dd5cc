#pragma once

#include "HotKey/HotKeyService.h"

// The service where there is no X11 connection (Wayland without XWayland, offscreen): every
// registration is refused with one diagnostic line.
class RefusingHotKeyService final : public HotKeyService {
public:
    std::optional<Handle> registerHotKey(const KeyCombo& combo, EventHotKeyID id,
                                         const HotKeyPurpose& purpose) override;
    void unregisterHotKey(Handle) override {}
    void installEventHandler(EventHandler) override {}
    HotKeyRefusal lastRefusal() const override { return {reason(), false}; }

private:
    static QString reason() { return QStringLiteral("no X11 connection"); }
};
