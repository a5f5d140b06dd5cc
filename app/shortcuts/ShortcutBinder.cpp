#include "shortcuts/ShortcutBinder.h"

#include "HotKey/HotKeysController.h"
#include "shortcuts/AssignableKeys.h"
#include "store/DBManager.h"

#include <QPointer>
#include <QTimer>

#include <algorithm>

namespace {

// Resetting drops the old registrations before the new ones, whatever keys were swapped.
constexpr std::chrono::milliseconds resetDelay{100};

} // namespace

ShortcutBinder::ShortcutBinder(Handler handler, QObject* parent)
    : QObject(parent)
    , handler_(std::move(handler)) {}

void ShortcutBinder::setup() {
    // A desktop that binds later may still refuse, or rebind, what it accepted here.
    HotKeysController::setBindingObserver([binder = QPointer<ShortcutBinder>(this)] {
        if (binder) {
            emit binder->changed();
        }
    });
    const std::vector<std::int64_t> assignment = DBManager::getKeys();
    for (const ShortcutActionInfo& info : shortcutActions) {
        const std::size_t action = indexOf(info.action);
        const Key key = AssignableKeys::all()[static_cast<size_t>(assignment[action])];
        const HotKeyPurpose purpose{QString::fromLatin1(info.name),
                                    QString::fromLatin1(info.title)};
        // Replacing the old hot key releases, and so unregisters, it.
        hotKeys_[action] =
            HotKey::make(KeyCombo(key, ModifierFlags::control | ModifierFlags::option), purpose,
                         [this, a = info.action] { handler_(a); });
    }
    assignment_ = assignment;
    emit changed();
}

void ShortcutBinder::reset() {
    for (std::shared_ptr<HotKey>& hotKey : hotKeys_) {
        hotKey.reset();
    }
    QTimer::singleShot(resetDelay, this, &ShortcutBinder::setup);
}

void ShortcutBinder::keysSaved() {
    QTimer::singleShot(resetDelay, this, &ShortcutBinder::reset);
}

bool ShortcutBinder::isLive(ShortcutAction action) const {
    const std::shared_ptr<HotKey>& key = hotKey(action);
    return key && HotKeysController::isLive(*key);
}

std::optional<ShortcutAction> ShortcutBinder::firstRefused() const {
    const auto refused = std::find_if(shortcutActions.begin(), shortcutActions.end(),
                                      [this](const ShortcutActionInfo& info) {
                                          return hotKey(info.action) && !isLive(info.action);
                                      });
    return refused == shortcutActions.end() ? std::nullopt
                                            : std::optional<ShortcutAction>(refused->action);
}
