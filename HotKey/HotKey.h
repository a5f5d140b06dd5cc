#pragma once

#include "HotKey/HotKeyService.h"
#include "HotKey/KeyCombo.h"

#include <QUuid>

#include <functional>
#include <memory>

// One global shortcut, shared by its owners. Making one registers it; pausing unregisters it until
// it is resumed; releasing the last owner unregisters it. The registry keeps only a weak
// reference, so a shortcut lives exactly as long as its owners hold it.
class HotKey : public std::enable_shared_from_this<HotKey> {
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    using Handler = std::function<void()>;

    static std::shared_ptr<HotKey> make(const KeyCombo& keyCombo, Handler keyDownHandler = {},
                                        Handler keyUpHandler = {});
    static std::shared_ptr<HotKey> make(std::uint32_t carbonKeyCode, std::uint32_t carbonModifiers,
                                        Handler keyDownHandler = {}, Handler keyUpHandler = {});
    static std::shared_ptr<HotKey> make(Key key, ModifierFlags modifiers,
                                        Handler keyDownHandler = {}, Handler keyUpHandler = {});
    // Named, for desktops that list shortcuts by what they do.
    static std::shared_ptr<HotKey> make(const KeyCombo& keyCombo, HotKeyPurpose purpose,
                                        Handler keyDownHandler);

    // Only through make(): registration needs the shared owner.
    HotKey(Passkey, const KeyCombo& keyCombo, HotKeyPurpose purpose, Handler keyDownHandler,
           Handler keyUpHandler);
    ~HotKey();
    HotKey(const HotKey&) = delete;
    HotKey& operator=(const HotKey&) = delete;

    const QUuid& identifier() const { return identifier_; }
    const KeyCombo& keyCombo() const { return keyCombo_; }
    const HotKeyPurpose& purpose() const { return purpose_; }

    const Handler& keyDownHandler() const { return keyDownHandler_; }
    void setKeyDownHandler(Handler handler) { keyDownHandler_ = std::move(handler); }
    const Handler& keyUpHandler() const { return keyUpHandler_; }
    void setKeyUpHandler(Handler handler) { keyUpHandler_ = std::move(handler); }

    bool isPaused() const { return isPaused_; }
    // True unregisters; false registers again under a new id (nothing if still registered).
    void setPaused(bool paused);

private:
    const QUuid identifier_;
    const KeyCombo keyCombo_;
    const HotKeyPurpose purpose_;
    Handler keyDownHandler_;
    Handler keyUpHandler_;
    bool isPaused_ = false;
};
