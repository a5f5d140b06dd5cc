#pragma once

#include "platform/Focus.h"

#include <QPoint>
#include <QtGui/qwindowdefs.h>

#include <memory>
#include <optional>

// What the desktop provides beyond Qt, behind one small interface: X11 implements it
// (platform/x11/), and a null platform answers "not available" where there is no X server
// (offscreen tests, a Wayland session without XWayland).
class Platform {
public:
    virtual ~Platform() = default;

    // The keyboard focus of other applications.
    virtual std::unique_ptr<FocusService> createFocusService() const = 0;

    // Where a top-level window's top-left corner really is, as the display server has it;
    // nothing when it cannot tell.
    virtual std::optional<QPoint> windowOrigin(WId window) const = 0;

    // Whether translucent window corners would show black (no compositor draws them), so
    // rounded corners must be cut with a mask instead.
    virtual bool needsCornerMask() const = 0;

    // Hands the activation token a launcher or the shortcuts portal left in
    // XDG_ACTIVATION_TOKEN to `window`, which is about to ask for the keyboard, so the
    // compositor may grant it. A token is good for one activation: it is used up here.
    virtual void passActivationToken(WId window) const = 0;

    // Takes a top-level window out of the application's window group, before it is mapped,
    // so that the window manager minimizes it with none of the application's other windows
    // (xfwm4 minimizes a utility window of the group with any window of the group).
    virtual void leaveWindowGroup(WId window) const = 0;

    // The platform of this process, chosen on first use from the running Qt platform.
    static const Platform& current();
};
