#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

struct xcb_connection_t;

// Small helpers over the X server connection Qt already holds. Every function answers
// "nothing" when the application does not run on X11 (offscreen, Wayland).
namespace X11Desktop {

using WindowId = std::uint32_t;

xcb_connection_t* connection();
WindowId rootWindow();
std::uint32_t atom(std::string_view name);

// The items of a 32-bit property on a window (at most `maxItems`); empty when unset.
std::vector<std::uint32_t> property32(WindowId window, std::string_view property,
                                      std::uint32_t type, std::uint32_t maxItems = 1);

// Sets a UTF8_STRING property on a window.
void setStringProperty(WindowId window, std::string_view property, std::string_view value);

// Makes a window the leader of a window group of its own (WM_HINTS window_group, ICCCM 4.1.2.4),
// keeping its other hints.
void leadOwnWindowGroup(WindowId window);

// Where a top-level window's top-left corner really is on the root window.
std::optional<std::pair<int, int>> windowOrigin(WindowId window);

// A compositing manager owns _NET_WM_CM_S0: only then do translucent corners show through.
bool hasCompositor();

} // namespace X11Desktop
