#include "HotKey/X11HotKeyService.h"

#include "HotKey/Diagnostics.h"
#include "HotKey/X11KeySymbols.h"

#include <QGuiApplication>

#include <X11/keysym.h>
// xkb.h names a field "explicit".
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wkeyword-macro"
#endif
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#if defined(__clang__)
#pragma clang diagnostic pop
#endif

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace {

constexpr std::uint8_t badAccess = 10;
constexpr std::uint16_t modifierBits = 0xFF;

// How long a key release waits for the press of an auto-repeat pair. The server sends both
// at once, so this only bridges the two being read apart.
constexpr std::chrono::milliseconds repeatGrace{20};

QString grabFailure(std::uint8_t errorCode) {
    if (errorCode == badAccess) {
        return QStringLiteral("already grabbed by another application");
    }
    return QStringLiteral("X error %1").arg(errorCode);
}

bool contains(const std::vector<xcb_keycode_t>& keycodes, xcb_keycode_t keycode) {
    return std::find(keycodes.begin(), keycodes.end(), keycode) != keycodes.end();
}

// The root window of the screen Qt connected to (the one $DISPLAY names).
xcb_window_t defaultRoot(xcb_connection_t* connection) {
    char* host = nullptr;
    int display = 0;
    int screen = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screen) == 0) {
        screen = 0;
    }
    std::free(host);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screen && it.rem > 1; ++i) {
        xcb_screen_next(&it);
    }
    return it.data->root;
}

std::uint8_t xkbFirstEventOf(xcb_connection_t* connection) {
    const xcb_query_extension_reply_t* xkb = xcb_get_extension_data(connection, &xcb_xkb_id);
    return xkb != nullptr && xkb->present ? xkb->first_event : 0;
}

} // namespace

std::unique_ptr<X11HotKeyService> X11HotKeyService::create() {
    const auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    const auto* x11 =
        app != nullptr ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || x11->connection() == nullptr) {
        return nullptr;
    }
    return std::unique_ptr<X11HotKeyService>(
        new X11HotKeyService(x11->connection(), defaultRoot(x11->connection())));
}

X11HotKeyService::X11HotKeyService(xcb_connection_t* connection, xcb_window_t root)
    : connection_(connection)
    , root_(root)
    , xkbFirstEvent_(xkbFirstEventOf(connection))
    , keySymbols_(xcb_key_symbols_alloc(connection)) {
    numLockMask_ = readNumLockMask();
    releaseTimer_.setSingleShot(true);
    releaseTimer_.setInterval(repeatGrace);
    QObject::connect(&releaseTimer_, &QTimer::timeout, [this] {
        // A busy machine can read the repeat's press later than the grace: while the server
        // still has the key down, the release was half of a repeat.
        if (pendingKeyStillDown()) {
            releaseTimer_.start();
        } else {
            deliverPendingReleases();
        }
    });
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11HotKeyService::~X11HotKeyService() {
    // Once the application is gone, so is its connection, and the server has dropped our grabs.
    if (QCoreApplication::instance() == nullptr) {
        return;
    }
    QCoreApplication::instance()->removeNativeEventFilter(this);
    for (const auto& [handle, registration] : registrations_) {
        ungrab(registration.keycodes, registration.modifiers);
    }
    xcb_flush(connection_);
}

std::optional<HotKeyService::Handle>
X11HotKeyService::registerHotKey(const KeyCombo& combo, EventHotKeyID id, const HotKeyPurpose&) {
    const std::optional<Key> key = combo.key();
    const std::optional<std::uint32_t> keysym = key ? x11KeySym(*key) : std::nullopt;
    if (!keysym) {
        return refuse(combo, {QStringLiteral("no X keysym for this key"), false});
    }
    std::vector<xcb_keycode_t> keycodes = keycodesOf(*keysym);
    if (keycodes.empty()) {
        return refuse(combo, {QStringLiteral("no such key on this keyboard"), false});
    }
    const std::uint16_t modifiers = x11Modifiers(combo.carbonModifiers);
    // The server would silently merge a second grab of ours; one ungrab would then end both.
    if (isTaken(keycodes, modifiers)) {
        return refuse(combo, {QStringLiteral("already registered by this application"), false});
    }
    if (const std::uint8_t error = grab(keycodes, modifiers); error != 0) {
        return refuse(combo, {grabFailure(error), error == badAccess});
    }
    const Handle handle = nextHandle_++;
    registrations_.emplace(handle, Registration{combo, id, *keysym, modifiers, std::move(keycodes),
                                                std::nullopt, std::nullopt});
    return handle;
}

void X11HotKeyService::unregisterHotKey(Handle handle) {
    const auto found = registrations_.find(handle);
    if (found == registrations_.end()) {
        return;
    }
    ungrab(found->second.keycodes, found->second.modifiers);
    xcb_flush(connection_);
    registrations_.erase(found);
}

void X11HotKeyService::installEventHandler(EventHandler handler) {
    eventHandler_ = std::move(handler);
}

bool X11HotKeyService::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const std::uint8_t type = event->response_type & 0x7f;
    switch (type) {
    case XCB_KEY_PRESS:
        return keyPressed(*reinterpret_cast<const xcb_key_press_event_t*>(event));
    case XCB_KEY_RELEASE:
        return keyReleased(*reinterpret_cast<const xcb_key_release_event_t*>(event));
    case XCB_MAPPING_NOTIFY:
        if (reinterpret_cast<const xcb_mapping_notify_event_t*>(event)->request !=
            XCB_MAPPING_POINTER) {
            keyboardChanged();
        }
        return false;
    default:
        // Qt selects XKB's keyboard and map notifications; a layout switch arrives only so.
        if (xkbFirstEvent_ != 0 && type == xkbFirstEvent_) {
            const std::uint8_t xkbType =
                reinterpret_cast<const xcb_xkb_new_keyboard_notify_event_t*>(event)->xkbType;
            if (xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY || xkbType == XCB_XKB_MAP_NOTIFY) {
                keyboardChanged();
            }
        }
        return false;
    }
}

bool X11HotKeyService::keyPressed(const xcb_key_press_event_t& press) {
    if (press.event != root_) {
        return false;
    }
    // A held key repeats as release + press with one timestamp: drop both halves.
    for (auto& [handle, registration] : registrations_) {
        if (registration.downKeycode == press.detail &&
            registration.pendingReleaseTime == press.time) {
            registration.pendingReleaseTime.reset();
            return true;
        }
    }
    deliverPendingReleases();
    const std::uint16_t modifiers =
        press.state & modifierBits & ~(XCB_MOD_MASK_LOCK | numLockMask_);
    for (auto& [handle, registration] : registrations_) {
        if (registration.modifiers == modifiers && contains(registration.keycodes, press.detail)) {
            // Already down: a repeat from a server that sends no releases in between.
            if (!registration.downKeycode) {
                registration.downKeycode = press.detail;
                deliver(registration.id, kEventHotKeyPressed);
            }
            return true;
        }
    }
    return false;
}

bool X11HotKeyService::keyReleased(const xcb_key_release_event_t& release) {
    if (release.event != root_) {
        return false;
    }
    // By key alone: the modifiers may already be up when the key comes up.
    for (auto& [handle, registration] : registrations_) {
        if (registration.downKeycode == release.detail) {
            registration.pendingReleaseTime = release.time;
            releaseTimer_.start();
            return true;
        }
    }
    return false;
}

bool X11HotKeyService::pendingKeyStillDown() const {
    std::unique_ptr<xcb_query_keymap_reply_t, decltype(&std::free)> keymap(
        xcb_query_keymap_reply(connection_, xcb_query_keymap(connection_), nullptr), &std::free);
    if (!keymap) {
        return false;
    }
    for (const auto& [handle, registration] : registrations_) {
        if (registration.pendingReleaseTime && registration.downKeycode) {
            const xcb_keycode_t key = *registration.downKeycode;
            if (keymap->keys[key / 8] & (1u << (key % 8))) {
                return true;
            }
        }
    }
    return false;
}

void X11HotKeyService::deliverPendingReleases() {
    releaseTimer_.stop();
    // Collected first: a handler may unregister hot keys.
    std::vector<EventHotKeyID> released;
    for (auto& [handle, registration] : registrations_) {
        if (registration.pendingReleaseTime) {
            registration.pendingReleaseTime.reset();
            registration.downKeycode.reset();
            released.push_back(registration.id);
        }
    }
    for (const EventHotKeyID& id : released) {
        deliver(id, kEventHotKeyReleased);
    }
}

void X11HotKeyService::deliver(EventHotKeyID id, std::uint32_t kind) const {
    if (eventHandler_) {
        eventHandler_(HotKeyEvent{id, kind});
    }
}

void X11HotKeyService::keyboardChanged() {
    keySymbols_.reset(xcb_key_symbols_alloc(connection_));
    const std::uint16_t newNumLockMask = readNumLockMask();
    const bool locksMoved = newNumLockMask != numLockMask_;
    std::vector<Registration*> moved;
    for (auto& [handle, registration] : registrations_) {
        std::vector<xcb_keycode_t> keycodes = keycodesOf(registration.keysym);
        if (locksMoved || keycodes != registration.keycodes) {
            ungrab(registration.keycodes, registration.modifiers);
            registration.keycodes = std::move(keycodes);
            registration.downKeycode.reset();
            registration.pendingReleaseTime.reset();
            moved.push_back(&registration);
        }
    }
    numLockMask_ = newNumLockMask;
    for (Registration* registration : moved) {
        const std::uint8_t error = registration->keycodes.empty()
                                       ? 0
                                       : grab(registration->keycodes, registration->modifiers);
        if (registration->keycodes.empty() || error != 0) {
            const QString reason = registration->keycodes.empty()
                                       ? QStringLiteral("no such key on this keyboard")
                                       : grabFailure(error);
            registration->keycodes.clear();
            HotKeyDiagnostics::printRefusal(registration->combo,
                                            QStringLiteral("after a keyboard change, ") + reason);
        }
    }
    xcb_flush(connection_);
}

std::optional<HotKeyService::Handle> X11HotKeyService::refuse(const KeyCombo& combo,
                                                              const HotKeyRefusal& refusal) {
    HotKeyDiagnostics::printRefusal(combo, refusal.reason);
    lastRefusal_ = refusal;
    return std::nullopt;
}

std::vector<xcb_keycode_t> X11HotKeyService::keycodesOf(xcb_keysym_t keysym) const {
    std::vector<xcb_keycode_t> keycodes;
    xcb_keycode_t* found = xcb_key_symbols_get_keycode(keySymbols_.get(), keysym);
    for (const xcb_keycode_t* code = found; code != nullptr && *code != XCB_NO_SYMBOL; ++code) {
        if (!contains(keycodes, *code)) {
            keycodes.push_back(*code);
        }
    }
    std::free(found);
    std::sort(keycodes.begin(), keycodes.end());
    return keycodes;
}

std::uint16_t X11HotKeyService::readNumLockMask() const {
    const std::vector<xcb_keycode_t> numLockKeys = keycodesOf(XK_Num_Lock);
    xcb_get_modifier_mapping_reply_t* reply =
        xcb_get_modifier_mapping_reply(connection_, xcb_get_modifier_mapping(connection_), nullptr);
    if (reply == nullptr) {
        return 0;
    }
    std::uint16_t mask = 0;
    const xcb_keycode_t* mapped = xcb_get_modifier_mapping_keycodes(reply);
    const int perModifier = reply->keycodes_per_modifier;
    // Mod1 to Mod5 only; Shift, Lock and Control keep their meaning.
    for (int modifier = 3; modifier < 8 && mask == 0; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t keycode = mapped[modifier * perModifier + i];
            if (keycode != 0 && contains(numLockKeys, keycode)) {
                mask = static_cast<std::uint16_t>(1U << modifier);
            }
        }
    }
    std::free(reply);
    return mask;
}

std::vector<std::uint16_t> X11HotKeyService::lockVariants() const {
    std::vector<std::uint16_t> variants{0, XCB_MOD_MASK_LOCK};
    if (numLockMask_ != 0) {
        variants.push_back(numLockMask_);
        variants.push_back(static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLockMask_));
    }
    return variants;
}

std::uint8_t X11HotKeyService::grab(const std::vector<xcb_keycode_t>& keycodes,
                                    std::uint16_t modifiers) const {
    struct Request {
        xcb_keycode_t keycode;
        std::uint16_t modifiers;
        xcb_void_cookie_t cookie;
    };
    // All requests first, then the checks: one round trip. Events are reported to the root
    // (owner_events off), even while one of our own windows has the focus.
    std::vector<Request> requests;
    for (const xcb_keycode_t keycode : keycodes) {
        for (const std::uint16_t variant : lockVariants()) {
            const auto mask = static_cast<std::uint16_t>(modifiers | variant);
            requests.push_back({keycode, mask,
                                xcb_grab_key_checked(connection_, 0, root_, mask, keycode,
                                                     XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)});
        }
    }
    std::uint8_t firstError = 0;
    std::vector<const Request*> made;
    for (const Request& request : requests) {
        if (xcb_generic_error_t* error = xcb_request_check(connection_, request.cookie)) {
            firstError = firstError != 0 ? firstError : error->error_code;
            std::free(error);
        } else {
            made.push_back(&request);
        }
    }
    if (firstError != 0) {
        for (const Request* request : made) {
            xcb_ungrab_key(connection_, request->keycode, root_, request->modifiers);
        }
        xcb_flush(connection_);
    }
    return firstError;
}

void X11HotKeyService::ungrab(const std::vector<xcb_keycode_t>& keycodes,
                              std::uint16_t modifiers) const {
    for (const xcb_keycode_t keycode : keycodes) {
        for (const std::uint16_t variant : lockVariants()) {
            xcb_ungrab_key(connection_, keycode, root_,
                           static_cast<std::uint16_t>(modifiers | variant));
        }
    }
}

bool X11HotKeyService::isTaken(const std::vector<xcb_keycode_t>& keycodes,
                               std::uint16_t modifiers) const {
    return std::any_of(registrations_.begin(), registrations_.end(), [&](const auto& entry) {
        const Registration& registration = entry.second;
        return registration.modifiers == modifiers &&
               std::any_of(keycodes.begin(), keycodes.end(), [&](xcb_keycode_t keycode) {
                   return contains(registration.keycodes, keycode);
               });
    });
}
