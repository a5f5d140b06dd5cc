#include "platform/x11/X11Focus.h"

#include "platform/x11/X11Desktop.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>

namespace {

bool isOwnWindow(FocusService::WindowId window) {
    const auto windows = QGuiApplication::allWindows();
    return std::any_of(windows.begin(), windows.end(),
                       [window](const QWindow* w) { return w->handle() && w->winId() == window; });
}

} // namespace

std::optional<FocusService::WindowId> X11FocusService::activeWindow() const {
    WindowId window = 0;
    const auto active =
        X11Desktop::property32(X11Desktop::rootWindow(), "_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW);
    if (!active.empty()) {
        window = active.front();
    } else if (xcb_connection_t* c = X11Desktop::connection()) {
        // No window manager: the server's input focus is the best answer.
        if (auto* reply = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)) {
            window = reply->focus;
            std::free(reply);
        }
    }
    if (window == XCB_NONE || window == XCB_INPUT_FOCUS_POINTER_ROOT || isOwnWindow(window)) {
        return std::nullopt;
    }
    return window;
}

void X11FocusService::activate(WindowId window) {
    xcb_connection_t* c = X11Desktop::connection();
    if (!c) {
        return;
    }
    const WindowId root = X11Desktop::rootWindow();
    const std::uint32_t activeAtom = X11Desktop::atom("_NET_ACTIVE_WINDOW");
    const auto supported = X11Desktop::property32(root, "_NET_SUPPORTED", XCB_ATOM_ATOM, 1024);
    if (activeAtom &&
        std::find(supported.begin(), supported.end(), activeAtom) != supported.end()) {
        // Source 2: a pager-like request, which window managers honour without
        // focus-stealing checks.
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = activeAtom;
        event.data.data32[0] = 2;
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(c, 0, root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
    } else {
        xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    }
    xcb_flush(c);
}
