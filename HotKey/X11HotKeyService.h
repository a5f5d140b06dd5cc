#pragma once

#include "HotKey/HotKeyService.h"

#include <QAbstractNativeEventFilter>
#include <QTimer>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <map>
#include <memory>
#include <vector>

// Global shortcuts on X11: a passive key grab on the root window for each registration, through
// Qt's own xcb connection, with the key events read in a native event filter on the main thread.
//
// A combination is grabbed once per lock state (none, CapsLock, NumLock, both) so that the locks
// do not break it, and on every keycode that carries its keysym. Another client's grab
// (BadAccess) refuses the registration and undoes the grabs already made. A held key delivers
// one press: the server's auto-repeat pairs are dropped. After a keyboard mapping or layout
// change the keycodes are looked up again and re-grabbed.
class X11HotKeyService final : public HotKeyService, private QAbstractNativeEventFilter {
public:
    // None unless the application runs on Qt's xcb platform.
    static std::unique_ptr<X11HotKeyService> create();

    ~X11HotKeyService() override;
    X11HotKeyService(const X11HotKeyService&) = delete;
    X11HotKeyService& operator=(const X11HotKeyService&) = delete;

    std::optional<Handle> registerHotKey(const KeyCombo& combo, EventHotKeyID id,
                                         const HotKeyPurpose& purpose) override;
    void unregisterHotKey(Handle handle) override;
    void installEventHandler(EventHandler handler) override;
    HotKeyRefusal lastRefusal() const override { return lastRefusal_; }

private:
    X11HotKeyService(xcb_connection_t* connection, xcb_window_t root);

    struct Registration {
        KeyCombo combo;
        EventHotKeyID id;
        xcb_keysym_t keysym = 0;
        std::uint16_t modifiers = 0;         // X modifier mask, lock keys excluded
        std::vector<xcb_keycode_t> keycodes; // grabbed; empty after a lost re-grab
        std::optional<xcb_keycode_t> downKeycode;
        std::optional<xcb_timestamp_t> pendingReleaseTime;
    };

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    bool keyPressed(const xcb_key_press_event_t& press);
    bool keyReleased(const xcb_key_release_event_t& release);
    // Whether the server still holds down a key whose release waits for its repeat's press.
    bool pendingKeyStillDown() const;
    void deliverPendingReleases();
    void deliver(EventHotKeyID id, std::uint32_t kind) const;
    void keyboardChanged();
    // Says why on standard output and keeps it for lastRefusal(); answers none.
    std::optional<Handle> refuse(const KeyCombo& combo, const HotKeyRefusal& refusal);

    std::vector<xcb_keycode_t> keycodesOf(xcb_keysym_t keysym) const;
    std::uint16_t readNumLockMask() const;
    std::vector<std::uint16_t> lockVariants() const;
    // 0 when every grab succeeded; otherwise the first X error code, with no grab left behind.
    std::uint8_t grab(const std::vector<xcb_keycode_t>& keycodes, std::uint16_t modifiers) const;
    void ungrab(const std::vector<xcb_keycode_t>& keycodes, std::uint16_t modifiers) const;
    bool isTaken(const std::vector<xcb_keycode_t>& keycodes, std::uint16_t modifiers) const;

    struct KeySymbolsFree {
        void operator()(xcb_key_symbols_t* symbols) const { xcb_key_symbols_free(symbols); }
    };

    xcb_connection_t* const connection_;
    const xcb_window_t root_;
    const std::uint8_t xkbFirstEvent_;
    std::unique_ptr<xcb_key_symbols_t, KeySymbolsFree> keySymbols_;
    std::uint16_t numLockMask_ = 0;
    std::map<Handle, Registration> registrations_;
    Handle nextHandle_ = 1;
    EventHandler eventHandler_;
    QTimer releaseTimer_;
    HotKeyRefusal lastRefusal_;
};
