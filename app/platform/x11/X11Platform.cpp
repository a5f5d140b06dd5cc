#include "platform/x11/X11Platform.h"

#include "platform/x11/X11Desktop.h"
#include "platform/x11/X11Focus.h"

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

bool X11Platform::needsCornerMask() const {
    return !X11Desktop::hasCompositor();
}
