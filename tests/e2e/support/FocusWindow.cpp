// x11-focus-window: an ordinary application window that takes the keyboard focus and reports
// the keys it receives, so that end-to-end tests have "another application" in front.
//
// Prints "focused <window id>" once it holds the focus, then "key-press <keysym> <state>" and
// "key-release <keysym> <state>" (hexadecimal) for every key event; runs until killed or the
// display goes away.
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <thread>

namespace {

struct Free {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, Free>;

bool hasFocus(xcb_connection_t* connection, xcb_window_t window) {
    const Reply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    return focus && focus->focus == window;
}

} // namespace

int main() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        std::fprintf(stderr, "x11-focus-window: cannot connect to the display\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_window_t window = xcb_generate_id(connection);
    const std::uint32_t values[] = {screen->white_pixel, XCB_EVENT_MASK_KEY_PRESS |
                                                             XCB_EVENT_MASK_KEY_RELEASE |
                                                             XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 100, 100, 320, 200, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    const std::string_view title = "x11-focus-window";
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME,
                        XCB_ATOM_STRING, 8, static_cast<std::uint32_t>(title.size()), title.data());
    xcb_map_window(connection, window);
    xcb_flush(connection);

    // Viewable first; then ask for the focus until we have it (a window manager may hand it
    // out itself, or a moment later).
    while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
        const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
        std::free(event);
        if (mapped) {
            break;
        }
    }
    while (!hasFocus(connection, window)) {
        xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
        xcb_flush(connection);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::printf("focused 0x%x\n", window);
    std::fflush(stdout);

    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection);
    while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
        const std::uint8_t type = event->response_type & 0x7f;
        if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) {
            const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
            std::printf("%s 0x%x 0x%x\n", type == XCB_KEY_PRESS ? "key-press" : "key-release",
                        xcb_key_symbols_get_keysym(symbols, key->detail, 0), key->state);
            std::fflush(stdout);
        } else if (type == XCB_MAPPING_NOTIFY) {
            xcb_refresh_keyboard_mapping(symbols,
                                         reinterpret_cast<xcb_mapping_notify_event_t*>(event));
        }
        std::free(event);
    }
    xcb_key_symbols_free(symbols);
    xcb_disconnect(connection);
    return 0;
}
