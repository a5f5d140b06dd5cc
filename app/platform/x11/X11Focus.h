#pragma once

#include "platform/Focus.h"

// The active window from _NET_ACTIVE_WINDOW (the input focus without a window manager),
// handed back with a _NET_ACTIVE_WINDOW request where the window manager supports one.
class X11FocusService final : public FocusService {
public:
    std::optional<WindowId> activeWindow() const override;
    void activate(WindowId window) override;
};
