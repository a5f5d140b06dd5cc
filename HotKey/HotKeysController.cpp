#include "HotKey/HotKeysController.h"

#include "HotKey/DefaultHotKeyService.h"
#include "HotKey/Diagnostics.h"
#include "HotKey/HotKey.h"

#include <QUuid>

#include <limits>
#include <map>
#include <optional>
#include <stdexcept>

namespace {

// The registry's record of one registration.
struct HotKeyBox {
    QUuid identifier;
    std::weak_ptr<HotKey> hotKey;
    std::uint32_t carbonHotKeyID = 0;
    std::optional<HotKeyService::Handle> carbonEventHotKey; // none when refused
    HotKeyBinding binding{true, {}, {}};                    // the desktop's later answer
};

struct RegistryState {
    std::map<std::uint32_t, HotKeyBox> hotKeys;
    std::uint32_t hotKeysCount = 0;
    bool eventHandlerInstalled = false;
    std::unique_ptr<HotKeyService> service;
    std::function<void()> bindingObserver;
};

RegistryState& state() {
    static RegistryState registry;
    return registry;
}

void bindingChanged(HotKeyService::Handle handle, const HotKeyBinding& binding) {
    RegistryState& registry = state();
    for (auto& [id, entry] : registry.hotKeys) {
        if (entry.carbonEventHotKey == handle) {
            entry.binding = binding;
        }
    }
    if (registry.bindingObserver) {
        registry.bindingObserver();
    }
}

void adopt(std::unique_ptr<HotKeyService> service) {
    RegistryState& registry = state();
    registry.service = std::move(service);
    registry.eventHandlerInstalled = false;
    if (registry.service) {
        registry.service->installBindingHandler(&bindingChanged);
    }
}

HotKeyService& service() {
    RegistryState& registry = state();
    if (!registry.service) {
        adopt(makeDefaultHotKeyService());
    }
    return *registry.service;
}

HotKeyBox* box(const HotKey& hotKey) {
    for (auto& [id, entry] : state().hotKeys) {
        if (entry.identifier == hotKey.identifier()) {
            return &entry;
        }
    }
    return nullptr;
}

// The live hot key registered under `id`; a box whose hot key is gone is dropped.
std::shared_ptr<HotKey> hotKey(std::uint32_t id) {
    auto& table = state().hotKeys;
    const auto found = table.find(id);
    if (found != table.end()) {
        if (std::shared_ptr<HotKey> live = found->second.hotKey.lock()) {
            return live;
        }
        table.erase(found);
    }
    return nullptr;
}

// The handler goes in at the first successful registration and stays.
void updateEventHandler() {
    RegistryState& registry = state();
    if (registry.hotKeysCount > 0 && !registry.eventHandlerInstalled) {
        service().installEventHandler(&HotKeysController::handleHotKeyEvent);
        registry.eventHandlerInstalled = true;
    }
}

} // namespace

void HotKeysController::registerHotKey(const std::shared_ptr<HotKey>& hotKey) {
    RegistryState& registry = state();
    if (box(*hotKey) != nullptr) {
        return;
    }
    // Wrapping around would hand out ids again.
    if (registry.hotKeysCount == std::numeric_limits<std::uint32_t>::max()) {
        HotKeyDiagnostics::printRefusal(hotKey->keyCombo(), QStringLiteral("no ids left"));
        return;
    }
    const std::uint32_t id = ++registry.hotKeysCount;
    registry.hotKeys[id] = HotKeyBox{hotKey->identifier(), hotKey, id, std::nullopt};

    const std::optional<HotKeyService::Handle> handle = service().registerHotKey(
        hotKey->keyCombo(), EventHotKeyID{eventHotKeySignature, id}, hotKey->purpose());
    if (handle) {
        registry.hotKeys[id].carbonEventHotKey = handle;
        updateEventHandler();
    } else {
        registry.hotKeys[id].binding = {false, {}, service().lastRefusal()};
    }
}

void HotKeysController::unregisterHotKey(const HotKey& hotKey) {
    HotKeyBox* found = box(hotKey);
    if (found == nullptr) {
        return;
    }
    if (found->carbonEventHotKey) {
        service().unregisterHotKey(*found->carbonEventHotKey);
    }
    found->hotKey.reset();
    state().hotKeys.erase(found->carbonHotKeyID);
}

OSStatus HotKeysController::handleHotKeyEvent(const HotKeyEvent& event) {
    if (event.hotKeyID.signature != eventHotKeySignature) {
        return eventNotHandledErr;
    }
    const std::shared_ptr<HotKey> target = hotKey(event.hotKeyID.id);
    if (!target || target->isPaused()) {
        return eventNotHandledErr;
    }
    HotKey::Handler handler;
    switch (event.kind) {
    case kEventHotKeyPressed:
        handler = target->keyDownHandler();
        break;
    case kEventHotKeyReleased:
        handler = target->keyUpHandler();
        break;
    default:
        return eventNotHandledErr;
    }
    if (!handler) {
        return eventNotHandledErr;
    }
    // A copy: the handler may replace itself or drop its hot key while it runs.
    handler();
    return noErr;
}

bool HotKeysController::isLive(const HotKey& hotKey) {
    const HotKeyBox* found = box(hotKey);
    return found != nullptr && found->carbonEventHotKey.has_value() && found->binding.bound;
}

HotKeyRefusal HotKeysController::refusal(const HotKey& hotKey) {
    const HotKeyBox* found = box(hotKey);
    return found != nullptr && !isLive(hotKey) ? found->binding.refusal : HotKeyRefusal{};
}

QString HotKeysController::trigger(const HotKey& hotKey) {
    const HotKeyBox* found = box(hotKey);
    return found != nullptr && found->carbonEventHotKey ? found->binding.trigger : QString();
}

void HotKeysController::setBindingObserver(std::function<void()> observer) {
    state().bindingObserver = std::move(observer);
}

bool HotKeysController::bindsLater() {
    return service().bindsLater();
}

bool HotKeysController::canConfigure() {
    return service().canConfigure();
}

void HotKeysController::configure() {
    service().configure();
}

std::uint32_t HotKeysController::hotKeysCount() {
    return state().hotKeysCount;
}

std::vector<std::uint32_t> HotKeysController::registeredIds() {
    std::vector<std::uint32_t> ids;
    for (const auto& [id, entry] : state().hotKeys) {
        ids.push_back(id);
    }
    return ids;
}

void HotKeysController::setService(std::unique_ptr<HotKeyService> replacement) {
    RegistryState& registry = state();
    if (!registry.hotKeys.empty()) {
        throw std::logic_error("HotKeysController::setService while hot keys are registered");
    }
    adopt(std::move(replacement));
}
