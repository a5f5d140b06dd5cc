#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

// A second client of the test display on its own connection: to hold grabs of "another
// application" and to read the server's state without going through Qt.
class XcbClient {
public:
    XcbClient()
        : connection(xcb_connect(nullptr, nullptr))
        , root(xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root)
        , symbols(xcb_key_symbols_alloc(connection)) {}
    ~XcbClient() {
        xcb_key_symbols_free(symbols);
        xcb_disconnect(connection);
    }
    XcbClient(const XcbClient&) = delete;
    XcbClient& operator=(const XcbClient&) = delete;

    bool isConnected() const { return xcb_connection_has_error(connection) == 0; }

    // Every keycode that carries the keysym, in the server's current mapping.
    std::vector<xcb_keycode_t> keycodesOf(xcb_keysym_t keysym) const {
        std::vector<xcb_keycode_t> keycodes;
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, keysym);
        for (const xcb_keycode_t* code = codes; code != nullptr && *code != XCB_NO_SYMBOL; ++code) {
            keycodes.push_back(*code);
        }
        std::free(codes);
        return keycodes;
    }

    // 0 on success, else the X error code (10 is BadAccess).
    std::uint8_t grabKey(xcb_keycode_t keycode, std::uint16_t modifiers) const {
        xcb_generic_error_t* error = xcb_request_check(
            connection, xcb_grab_key_checked(connection, 0, root, modifiers, keycode,
                                             XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        const std::uint8_t code = error != nullptr ? error->error_code : 0;
        std::free(error);
        return code;
    }
    void ungrabKey(xcb_keycode_t keycode, std::uint16_t modifiers) const {
        xcb_ungrab_key(connection, keycode, root, modifiers);
        xcb_flush(connection);
    }

    // The keyboard modifiers in effect, locks included.
    std::uint16_t modifierState() const {
        xcb_query_pointer_reply_t* reply =
            xcb_query_pointer_reply(connection, xcb_query_pointer(connection, root), nullptr);
        const std::uint16_t mask = reply != nullptr ? reply->mask : 0;
        std::free(reply);
        return mask & 0xFF;
    }

    xcb_window_t inputFocus() const {
        xcb_get_input_focus_reply_t* reply =
            xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr);
        const xcb_window_t focus = reply != nullptr ? reply->focus : 0;
        std::free(reply);
        return focus;
    }

    struct KeyEvent {
        bool press;
        xcb_keycode_t keycode;
        xcb_timestamp_t time;
    };
    // The key events that have arrived, without waiting.
    std::vector<KeyEvent> pendingKeyEvents() const {
        std::vector<KeyEvent> events;
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            const std::uint8_t type = event->response_type & 0x7f;
            if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) {
                const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
                events.push_back({type == XCB_KEY_PRESS, key->detail, key->time});
            }
            std::free(event);
        }
        return events;
    }

private:
    xcb_connection_t* const connection;
    const xcb_window_t root;
    xcb_key_symbols_t* const symbols;
};
