#pragma once

#include "platform/Platform.h"

// No display server to ask: no foreign windows, no positions, nothing to mask.
class NullPlatform final : public Platform {
public:
    std::unique_ptr<FocusService> createFocusService() const override;
    std::optional<QPoint> windowOrigin(WId window) const override;
    bool needsCornerMask() const override { return false; }
    // Qt's Wayland platform reads the token itself when the window asks for the keyboard.
    void passActivationToken(WId) const override {}
    void leaveWindowGroup(WId) const override {}
};
