#include "HotKey/HotKey.h"

#include "HotKey/HotKeysController.h"

std::shared_ptr<HotKey> HotKey::make(const KeyCombo& keyCombo, Handler keyDownHandler,
                                     Handler keyUpHandler) {
    auto hotKey = std::make_shared<HotKey>(Passkey{}, keyCombo, HotKeyPurpose{},
                                           std::move(keyDownHandler), std::move(keyUpHandler));
    HotKeysController::registerHotKey(hotKey);
    return hotKey;
}

std::shared_ptr<HotKey> HotKey::make(const KeyCombo& keyCombo, HotKeyPurpose purpose,
                                     Handler keyDownHandler) {
    auto hotKey = std::make_shared<HotKey>(Passkey{}, keyCombo, std::move(purpose),
                                           std::move(keyDownHandler), Handler{});
    HotKeysController::registerHotKey(hotKey);
    return hotKey;
}

std::shared_ptr<HotKey> HotKey::make(std::uint32_t carbonKeyCode, std::uint32_t carbonModifiers,
                                     Handler keyDownHandler, Handler keyUpHandler) {
    return make(KeyCombo(carbonKeyCode, carbonModifiers), std::move(keyDownHandler),
                std::move(keyUpHandler));
}

std::shared_ptr<HotKey> HotKey::make(Key key, ModifierFlags modifiers, Handler keyDownHandler,
                                     Handler keyUpHandler) {
    return make(KeyCombo(key, modifiers), std::move(keyDownHandler), std::move(keyUpHandler));
}

HotKey::HotKey(Passkey, const KeyCombo& keyCombo, HotKeyPurpose purpose, Handler keyDownHandler,
               Handler keyUpHandler)
    : identifier_(QUuid::createUuid())
    , keyCombo_(keyCombo)
    , purpose_(std::move(purpose))
    , keyDownHandler_(std::move(keyDownHandler))
    , keyUpHandler_(std::move(keyUpHandler)) {}

HotKey::~HotKey() {
    HotKeysController::unregisterHotKey(*this);
}

void HotKey::setPaused(bool paused) {
    isPaused_ = paused;
    if (paused) {
        HotKeysController::unregisterHotKey(*this);
    } else {
        HotKeysController::registerHotKey(shared_from_this());
    }
}
