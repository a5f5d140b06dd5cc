#include "platform/x11/X11Desktop.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace X11Desktop {

namespace {
struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;
} // namespace

xcb_connection_t* connection() {
    auto* app = qGuiApp;
    if (!app || QGuiApplication::platformName() != QLatin1String("xcb")) {
        return nullptr;
    }
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

WindowId rootWindow() {
    xcb_connection_t* c = connection();
    if (!c) {
        return 0;
    }
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    return screens.rem > 0 ? screens.data->root : 0;
}

std::uint32_t atom(std::string_view name) {
    xcb_connection_t* c = connection();
    if (!c) {
        return 0;
    }
    const auto cookie = xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.data());
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(c, cookie, nullptr));
    return reply ? reply->atom : 0;
}

std::vector<std::uint32_t> property32(WindowId window, std::string_view property,
                                      std::uint32_t type, std::uint32_t maxItems) {
    xcb_connection_t* c = connection();
    const std::uint32_t name = atom(property);
    if (!c || !window || !name) {
        return {};
    }
    const auto cookie = xcb_get_property(c, 0, window, name, type, 0, maxItems);
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(c, cookie, nullptr));
    if (!reply || reply->format != 32) {
        return {};
    }
    const auto* items = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    const auto count = static_cast<size_t>(xcb_get_property_value_length(reply.get())) / 4;
    return {items, items + count};
}

void setStringProperty(WindowId window, std::string_view property, std::string_view value) {
    xcb_connection_t* c = connection();
    const std::uint32_t name = atom(property);
    const std::uint32_t type = atom("UTF8_STRING");
    if (!c || !window || !name || !type) {
        return;
    }
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, name, type, 8,
                        static_cast<std::uint32_t>(value.size()), value.data());
    xcb_flush(c);
}

void leadOwnWindowGroup(WindowId window) {
    // flags, input, initial_state, icon_pixmap, icon_window, icon_x, icon_y, icon_mask, group
    constexpr std::uint32_t fields = 9;
    constexpr std::uint32_t windowGroupHint = 1U << 6;
    xcb_connection_t* c = connection();
    std::vector<std::uint32_t> hints = property32(window, "WM_HINTS", XCB_ATOM_WM_HINTS, fields);
    if (!c || !window) {
        return;
    }
    hints.resize(fields, 0);
    hints[0] |= windowGroupHint;
    hints[fields - 1] = window;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32,
                        fields, hints.data());
    xcb_flush(c);
}

std::optional<std::pair<int, int>> windowOrigin(WindowId window) {
    xcb_connection_t* c = connection();
    const WindowId root = rootWindow();
    if (!c || !window || !root) {
        return std::nullopt;
    }
    const Reply<xcb_translate_coordinates_reply_t> reply(xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, window, root, 0, 0), nullptr));
    if (!reply) {
        return std::nullopt;
    }
    return std::pair<int, int>{reply->dst_x, reply->dst_y};
}

bool hasCompositor() {
    xcb_connection_t* c = connection();
    const std::uint32_t selection = atom("_NET_WM_CM_S0");
    if (!c || !selection) {
        return false;
    }
    const Reply<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr));
    return reply && reply->owner != XCB_NONE;
}

} // namespace X11Desktop
