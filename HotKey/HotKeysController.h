#pragma once

#include "HotKey/HotKeyService.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class HotKey;

// The process-wide registry of live hot keys. Each registration gets a fresh id (1, 2, 3 ...,
// never reused) and a box in the table, then goes to the hot-key service; the service's events
// come back here and run the handler of the hot key registered under the event's id.
// Main thread only.
class HotKeysController {
public:
    HotKeysController() = delete;

    // "SSHk", the tag of every registration of this registry.
    static constexpr std::uint32_t eventHotKeySignature =
        ('S' << 24) | ('S' << 16) | ('H' << 8) | 'k';

    // Nothing when the hot key is already registered. A refusal leaves the box in the table
    // without a handle: the hot key behaves normally and never fires.
    static void registerHotKey(const std::shared_ptr<HotKey>& hotKey);
    // Releases the registration of the hot key, if any; the id is not reused.
    static void unregisterHotKey(const HotKey& hotKey);

    // noErr when a handler ran, eventNotHandledErr otherwise (another registry's event, a gone
    // id, a paused hot key, no handler for the kind).
    static OSStatus handleHotKeyEvent(const HotKeyEvent& event);

    // Whether the service accepted the hot key's current registration and the desktop has not
    // refused it since.
    static bool isLive(const HotKey& hotKey);
    // Why the hot key is not live; empty when it is, or when it has no registration.
    static HotKeyRefusal refusal(const HotKey& hotKey);
    // The desktop's own words for the keys of the hot key's registration; empty when it gave none.
    static QString trigger(const HotKey& hotKey);
    // Called after the desktop bound, refused or rebound a registration later than it answered.
    static void setBindingObserver(std::function<void()> observer);
    // Whether the desktop binds the keys itself, later than registration answers.
    static bool bindsLater();
    // The service's settings page for its shortcuts, where it has one.
    static bool canConfigure();
    static void configure();
    // The last id handed out.
    static std::uint32_t hotKeysCount();
    // Ids that have a box in the table, ascending.
    static std::vector<std::uint32_t> registeredIds();

    // Replaces the service (by default: X11 where the application runs on X11, else one that
    // refuses everything). Only while no hot key is registered; throws std::logic_error otherwise.
    static void setService(std::unique_ptr<HotKeyService> service);
};
