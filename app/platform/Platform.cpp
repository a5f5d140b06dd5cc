#include "platform/Platform.h"

#include "platform/null/NullPlatform.h"
#include "platform/x11/X11Desktop.h"
#include "platform/x11/X11Platform.h"

const Platform& Platform::current() {
    static const std::unique_ptr<Platform> platform = []() -> std::unique_ptr<Platform> {
        if (X11Desktop::connection()) {
            return std::make_unique<X11Platform>();
        }
        return std::make_unique<NullPlatform>();
    }();
    return *platform;
}

std::unique_ptr<FocusService> makeDesktopFocusService() {
    return Platform::current().createFocusService();
}
