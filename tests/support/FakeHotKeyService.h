#pragma once

#include "HotKey/HotKeyService.h"
#include "HotKey/HotKeysController.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

// A hot-key service for tests: records registrations, refuses on request, and injects presses
// and releases through the handler the registry installed.
class FakeHotKeyService final : public HotKeyService {
public:
    struct Registration {
        Handle handle;
        KeyCombo combo;
        EventHotKeyID id;
    };

    std::optional<Handle> registerHotKey(const KeyCombo& combo, EventHotKeyID id,
                                         const HotKeyPurpose&) override {
        ++registerCalls;
        if (onRegister) {
            onRegister(combo, id);
        }
        if (refusing) {
            return std::nullopt;
        }
        live.push_back({nextHandle_, combo, id});
        return nextHandle_++;
    }

    void unregisterHotKey(Handle handle) override {
        unregistered.push_back(handle);
        std::erase_if(live, [&](const Registration& r) { return r.handle == handle; });
    }

    void installEventHandler(EventHandler handler) override {
        ++handlerInstalls;
        eventHandler_ = std::move(handler);
    }

    HotKeyRefusal lastRefusal() const override { return refusal; }

    void installBindingHandler(BindingHandler handler) override {
        bindingHandler = std::move(handler);
    }

    // None when no handler is installed.
    std::optional<OSStatus> deliver(const HotKeyEvent& event) const {
        return eventHandler_ ? std::optional(eventHandler_(event)) : std::nullopt;
    }
    std::optional<OSStatus> press(std::uint32_t id) const {
        return deliver({{HotKeysController::eventHotKeySignature, id}, kEventHotKeyPressed});
    }
    std::optional<OSStatus> release(std::uint32_t id) const {
        return deliver({{HotKeysController::eventHotKeySignature, id}, kEventHotKeyReleased});
    }
    // Presses the live registration of a combination, as the user would; none if there is none.
    std::optional<OSStatus> press(const KeyCombo& combo) const {
        const auto found = std::ranges::find(live, combo, &Registration::combo);
        return found == live.end() ? std::nullopt : press(found->id.id);
    }

    BindingHandler bindingHandler;
    bool refusing = false;
    HotKeyRefusal refusal{QStringLiteral("already grabbed by another application"), true};
    std::function<void(const KeyCombo&, EventHotKeyID)> onRegister;

    std::vector<Registration> live;
    std::vector<Handle> unregistered;
    int registerCalls = 0;
    int handlerInstalls = 0;

private:
    Handle nextHandle_ = 1;
    EventHandler eventHandler_;
};
