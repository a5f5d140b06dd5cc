#include "platform/x11/X11Platform.h"

#include "platform/x11/X11Desktop.h"
#include "platform/x11/X11Focus.h"

#include <QByteArray>

std::unique_ptr<FocusService> X11Platform::createFocusService() const {
    return std::make_unique<X11FocusService>();
}

std::optional<QPoint> X11Platform::windowOrigin(WId window) const {
    const auto origin = X11Desktop::windowOrigin(static_cast<X11Desktop::WindowId>(window));
    if (!origin) {
        return std::nullopt;
    }
    return QPoint(origin->first, origin->second);
}

void X11Platform::passActivationToken(WId window) const {
    const QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN");
    if (token.isEmpty()) {
        return;
    }
    qunsetenv("XDG_ACTIVATION_TOKEN");
    // Under XWayland the compositor takes an X window's startup id as its activation token.
    X11Desktop::setStringProperty(
        static_cast<X11Desktop::WindowId>(window), "_NET_STARTUP_ID",
        std::string_view(token.constData(), static_cast<size_t>(token.size())));
}

void X11Platform::leaveWindowGroup(WId window) const {
    X11Desktop::leadOwnWindowGroup(static_cast<X11Desktop::WindowId>(window));
}

bool X11Platform::needsCornerMask() const {
    return !X11Desktop::hasCompositor();
}
