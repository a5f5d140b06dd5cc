#include "HotKey/DefaultHotKeyService.h"

#include "HotKey/RefusingHotKeyService.h"
#include "HotKey/X11HotKeyService.h"
#include "HotKey/portal/PortalHotKeyService.h"

namespace {

// X grabs there fire only while an X11 window has the focus.
bool isWaylandSession() {
    return qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

std::unique_ptr<HotKeyService> makeDefaultHotKeyService() {
    if (isWaylandSession()) {
        if (std::unique_ptr<HotKeyService> portal = PortalHotKeyService::create()) {
            return portal;
        }
    }
    if (std::unique_ptr<HotKeyService> x11 = X11HotKeyService::create()) {
        return x11;
    }
    return std::make_unique<RefusingHotKeyService>();
}
