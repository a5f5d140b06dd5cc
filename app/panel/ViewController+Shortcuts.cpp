// The panel's global shortcuts: registering the assigned keys and naming them in the titles.
#include "HotKey/HotKeysController.h"
#include "panel/TitleButton.h"
#include "panel/ViewController.h"
#include "shortcuts/AssignableKeys.h"
#include "store/DBManager.h"
#include "ui/Extensions.h"
#include "ui_ViewController.h"

#include <QPointer>

#include <algorithm>

namespace {

// Per action, in the order of the stored assignment: the button's word and the key that
// the word names when the action has its default key.
struct ActionTitle {
    const char* word;
    const char* defaultEmphasis;
};
constexpr std::array<ActionTitle, shortcutActionCount> actionTitles{{{"Add", "A"},
                                                                     {"Done", "D"},
                                                                     {"Hour", "H"},
                                                                     {"1 Day", "1"},
                                                                     {"2 Day", "2"},
                                                                     {"Week", "W"},
                                                                     {" Edit Tasks", "T"}}};

// Resetting drops the old registrations before the new ones, whatever keys were swapped.
constexpr std::chrono::milliseconds resetDelay{100};

} // namespace

void ViewController::setupKeys() {
    // A desktop that binds later may still refuse, or rebind, what it accepted here.
    HotKeysController::setBindingObserver([panel = QPointer<ViewController>(this)] {
        if (panel) {
            panel->showRefusedShortcutNotice();
            emit panel->shortcutsChanged();
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
                         keyFunction(info.action));
    }
    titledAssignment_ = assignment;
    setTitles();
    showRefusedShortcutNotice();
    emit shortcutsChanged();
}

void ViewController::showRefusedShortcutNotice() {
    const auto refused = std::find_if(shortcutActions.begin(), shortcutActions.end(),
                                      [this](const ShortcutActionInfo& info) {
                                          return hotKey(info.action) && !isHotKeyLive(info.action);
                                      });
    if (noticeFollowed_ || refused == shortcutActions.end()) {
        ui_->noticeButton->hide();
        return;
    }
    const HotKey& key = *hotKey(refused->action);
    const HotKeyRefusal why = HotKeysController::refusal(key);
    // Only a key another application holds is "taken"; otherwise the desktop's own reason.
    const QString problem = why.taken ? QStringLiteral("is taken by another application")
                            : why.reason.isEmpty() ? QStringLiteral("is not bound")
                                                   : QStringLiteral("is not bound: ") + why.reason;
    ui_->noticeButton->setText(
        QStringLiteral("%1 (%2) %3. Change…")
            .arg(key.keyCombo().keyboardName(), QString::fromLatin1(refused->title), problem));
    ui_->noticeButton->show();
}

void ViewController::resetKeys() {
    for (std::shared_ptr<HotKey>& hotKey : hotKeys_) {
        hotKey.reset();
    }
    QTimer::singleShot(resetDelay, this, &ViewController::setupKeys);
}

void ViewController::keysSaved() {
    QTimer::singleShot(resetDelay, this, &ViewController::resetKeys);
}

bool ViewController::isHotKeyLive(ShortcutAction action) const {
    const std::shared_ptr<HotKey>& key = hotKey(action);
    return key && HotKeysController::isLive(*key);
}

void ViewController::setTitles() {
    ui_->unsnoozeButton->setAttributedTitle(
        getAttributedBoldText(QStringLiteral("Unsnooze"), QStringLiteral("U")));
    for (TitleButton* small : {ui_->quenbyButton, ui_->helpButton, ui_->settingsButton,
                               ui_->hideButton, ui_->quitButton}) {
        small->setAttributedTitle(getAttributedBoldText(small->text(), QStringLiteral(" ")));
    }
    if (titledAssignment_.empty()) {
        return;
    }
    for (const ShortcutActionInfo& info : shortcutActions) {
        const std::size_t action = indexOf(info.action);
        const QString word = QString::fromLatin1(actionTitles[action].word);
        const bool isDefault = titledAssignment_[action] == info.defaultKeyIndex;
        // Another key: the word no longer names it, and only a leading space is emphasised.
        const QString title = isDefault || word.startsWith(u' ') ? word : u' ' + word;
        const QString emphasis = isDefault
                                     ? QString::fromLatin1(actionTitles[action].defaultEmphasis)
                                     : QStringLiteral(" ");
        actionButton(info.action)->setAttributedTitle(getAttributedBoldText(title, emphasis));
    }
}
