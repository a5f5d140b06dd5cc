#pragma once

#include "HotKey/KeyCombo.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

// Status codes returned for hot-key events, with the values the registry has always used.
using OSStatus = std::int32_t;
inline constexpr OSStatus noErr = 0;
inline constexpr OSStatus eventNotHandledErr = -9874;

// The tag and id a registration carries; every event for it brings both back.
struct EventHotKeyID {
    std::uint32_t signature = 0;
    std::uint32_t id = 0;
};

// Event kinds of a hot-key event.
inline constexpr std::uint32_t kEventHotKeyPressed = 5;
inline constexpr std::uint32_t kEventHotKeyReleased = 6;

struct HotKeyEvent {
    EventHotKeyID hotKeyID;
    std::uint32_t kind = 0;
};

// What a shortcut is for, for desktops that list an application's shortcuts by name: a stable id
// and a line for the user. Both empty for a shortcut nobody named.
struct HotKeyPurpose {
    QString id;
    QString description;
};

// Why a registration is not bound, for the user.
struct HotKeyRefusal {
    QString reason;
    bool taken = false; // another application holds the keys
};

// A desktop's later answer about a registration it accepted before binding it.
struct HotKeyBinding {
    bool bound = false;
    QString trigger; // the desktop's own words for the keys; may be empty
    HotKeyRefusal refusal;
};

// What the registry needs from the desktop's global-shortcut facility: register a combination
// under an id (getting a handle, or a refusal), unregister a handle, and deliver presses and
// releases to one handler on the main thread.
class HotKeyService {
public:
    using Handle = std::uint64_t;
    using EventHandler = std::function<OSStatus(const HotKeyEvent&)>;
    using BindingHandler = std::function<void(Handle, const HotKeyBinding&)>;

    virtual ~HotKeyService() = default;

    // None when refused; the service reports why on standard output. A service that binds
    // later answers with a handle at once and the outcome through the binding handler.
    virtual std::optional<Handle> registerHotKey(const KeyCombo& combo, EventHotKeyID id,
                                                 const HotKeyPurpose& purpose) = 0;
    virtual void unregisterHotKey(Handle handle) = 0;
    // Called for every press and release of this process's registrations from now on.
    virtual void installEventHandler(EventHandler handler) = 0;
    // Why the latest registration refused at once was refused.
    virtual HotKeyRefusal lastRefusal() const { return {}; }
    // Called when the desktop binds, refuses or rebinds a registration, on the main thread;
    // services that answer at once never call it.
    virtual void installBindingHandler(BindingHandler) {}
    // Whether the desktop binds the keys itself, possibly other keys than those asked for.
    virtual bool bindsLater() const { return false; }
    // Whether the desktop has a settings page of its own for these shortcuts; opening it.
    virtual bool canConfigure() const { return false; }
    virtual void configure() {}
};
