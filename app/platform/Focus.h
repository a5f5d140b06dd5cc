#pragma once

#include <cstdint>
#include <memory>
#include <optional>

// The keyboard focus of other applications: which window has it now, and handing it back.
// The panel remembers the active window when a shortcut fires and returns the focus to it
// when the action is over, so the user keeps typing where they were.
class FocusService {
public:
    using WindowId = std::uint32_t;

    virtual ~FocusService() = default;

    // The active window when it belongs to another application; nothing otherwise.
    virtual std::optional<WindowId> activeWindow() const = 0;
    virtual void activate(WindowId window) = 0;
};

// The desktop's focus service (Platform::current()); where there is no X server, one that
// knows no window and so never moves the focus.
std::unique_ptr<FocusService> makeDesktopFocusService();
