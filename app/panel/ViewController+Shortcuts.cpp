// The panel's side of the global shortcuts: the titles naming their keys, and the notice of a
// refused one.
#include "HotKey/HotKeysController.h"
#include "panel/TitleButton.h"
#include "panel/ViewController.h"
#include "ui/Extensions.h"
#include "ui_ViewController.h"

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

} // namespace

void ViewController::showRefusedShortcutNotice() {
    const std::optional<ShortcutAction> refused = shortcuts_.firstRefused();
    if (noticeFollowed_ || !refused) {
        ui_->noticeButton->hide();
        return;
    }
    const HotKey& key = *shortcuts_.hotKey(*refused);
    const HotKeyRefusal why = HotKeysController::refusal(key);
    // Only a key another application holds is "taken"; otherwise the desktop's own reason.
    const QString problem = why.taken ? QStringLiteral("is taken by another application")
                            : why.reason.isEmpty() ? QStringLiteral("is not bound")
                                                   : QStringLiteral("is not bound: ") + why.reason;
    ui_->noticeButton->setText(QStringLiteral("%1 (%2) %3. Change…")
                                   .arg(key.keyCombo().keyboardName(),
                                        QString::fromLatin1(infoOf(*refused).title), problem));
    ui_->noticeButton->show();
}

void ViewController::setTitles() {
    ui_->unsnoozeButton->setAttributedTitle(
        getAttributedBoldText(QStringLiteral("Unsnooze"), QStringLiteral("U")));
    for (TitleButton* small : {ui_->quenbyButton, ui_->helpButton, ui_->settingsButton,
                               ui_->hideButton, ui_->quitButton}) {
        small->setAttributedTitle(getAttributedBoldText(small->text(), QStringLiteral(" ")));
    }
    const std::vector<std::int64_t>& assignment = shortcuts_.assignment();
    if (assignment.empty()) {
        return;
    }
    for (const ShortcutActionInfo& info : shortcutActions) {
        const std::size_t action = indexOf(info.action);
        const QString word = QString::fromLatin1(actionTitles[action].word);
        const bool isDefault = assignment[action] == info.defaultKeyIndex;
        // Another key: the word no longer names it, and only a leading space is emphasised.
        const QString title = isDefault || word.startsWith(u' ') ? word : u' ' + word;
        const QString emphasis = isDefault
                                     ? QString::fromLatin1(actionTitles[action].defaultEmphasis)
                                     : QStringLiteral(" ");
        actionButton(info.action)->setAttributedTitle(getAttributedBoldText(title, emphasis));
    }
}
