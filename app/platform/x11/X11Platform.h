#pragma once

#include "platform/Platform.h"

// The X11 desktop, through the xcb connection Qt holds.
class X11Platform final : public Platform {
public:
    std::unique_ptr<FocusService> createFocusService() const override;
    std::optional<QPoint> windowOrigin(WId window) const override;
    bool needsCornerMask() const override;
    void passActivationToken(WId window) const override;
    void leaveWindowGroup(WId window) const override;
};
