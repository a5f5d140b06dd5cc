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
        : connection_(xcb_connect(nullptr, nullptr))
        , root_(xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root)
        , symbols_(xcb_key_symbols_alloc(connection_)) {}
    ~XcbClient() {
        xcb_key_symbols_free(symbols_);
        xcb_disconnect(connection_);
    }
    XcbClient(const XcbClient&) = delete;
    XcbClient& operator=(const XcbClient&) = delete;

    bool isConnected() const { return xcb_connection_has_error(connection_) == 0; }

    // Every keycode that carries the keysym, in the server's current mapping.
    std::vector<xcb_keycode_t> keycodesOf(xcb_keysym_t keysym) const {
        std::vector<xcb_keycode_t> keycodes;
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols_, keysym);
        for (const xcb_keycode_t* code = codes; code != nullptr && *code != XCB_NO_SYMBOL; ++code) {
            keycodes.push_back(*code);
        }
        std::free(codes);
        return keycodes;
    }

    // 0 on success, else the X error code (10 is BadAccess).
    std::uint8_t grabKey(xcb_keycode_t keycode, std::uint16_t modifiers) const {
        xcb_generic_error_t* error = xcb_request_check(
            connection_, xcb_grab_key_checked(connection_, 0, root_, modifiers, keycode,
                                              XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        const std::uint8_t code = error != nullptr ? error->error_code : 0;
        std::free(error);
        return code;
    }
    // The keyboard modifiers in effect, locks included.
    std::uint16_t modifierState() const {
        xcb_query_pointer_reply_t* reply =
            xcb_query_pointer_reply(connection_, xcb_query_pointer(connection_, root_), nullptr);
        const std::uint16_t mask = reply != nullptr ? reply->mask : 0;
        std::free(reply);
        return mask & 0xFF;
    }

private:
    xcb_connection_t* const connection_;
    const xcb_window_t root_;
    xcb_key_symbols_t* const symbols_;
};
