// The panel's global shortcuts: registering the assigned keys and naming them in the titles.
#include "panel/ViewController.h"

#include "HotKey/HotKeysController.h"
#include "panel/SettingsVC.h"
#include "panel/TitleButton.h"
#include "store/DBManager.h"
#include "support/Extensions.h"
#include "ui_ViewController.h"

#include <QTimer>

namespace {

// Per action, in the order of the stored assignment: the button's word and the key that
// the word names when the action has its default key.
struct ActionTitle {
    const char* word;
    const char* defaultEmphasis;
};
constexpr std::array<ActionTitle, 7> actionTitles{{{"Add", "A"},
                                                   {"Done", "D"},
                                                   {"Hour", "H"},
                                                   {"1 Day", "1"},
                                                   {"2 Day", "2"},
                                                   {"Week", "W"},
                                                   {" Edit Tasks", "T"}}};

// Resetting drops the old registrations before the new ones, whatever keys were swapped.
constexpr int resetDelayMs = 100;

} // namespace

void ViewController::setupKeys() {
    const std::vector<std::int64_t> assignment = DBManager::getKeys();
    for (size_t action = 0; action < hotKeys.size(); ++action) {
        const Key key = DBManager::keys()[static_cast<size_t>(assignment[action])];
        // Replacing the old hot key releases, and so unregisters, it.
        hotKeys[action] = HotKey::make(key, ModifierFlags::control | ModifierFlags::option);
    }
    const std::array<const std::function<void()>*, 7> handlers{
        &keyAFunction, &keyDFunction, &keyHFunction, &key1Function,
        &key2Function, &keyWFunction, &keyTFunction};
    for (size_t action = 0; action < hotKeys.size(); ++action) {
        hotKeys[action]->setKeyDownHandler(*handlers[action]);
    }
    titledAssignment = assignment;
    setTitles();
}

void ViewController::resetKeys() {
    for (std::shared_ptr<HotKey>& hotKey : hotKeys) {
        hotKey.reset();
    }
    QTimer::singleShot(resetDelayMs, this, &ViewController::setupKeys);
}

bool ViewController::isHotKeyLive(int action) const {
    const std::shared_ptr<HotKey>& key = hotKey(action);
    return key && HotKeysController::isLive(*key);
}

void ViewController::setTitles() {
    ui->unsnoozeButton->setAttributedTitle(
        getAttributedBoldText(QStringLiteral("Unsnooze"), QStringLiteral("U")));
    for (TitleButton* small :
         {ui->quenbyButton, ui->helpButton, ui->settingsButton, ui->hideButton, ui->quitButton}) {
        small->setAttributedTitle(getAttributedBoldText(small->text(), QStringLiteral(" ")));
    }
    if (titledAssignment.empty()) {
        return;
    }
    const std::array<TitleButton*, 7> buttons{ui->addButton,     ui->doneButton,   ui->hourButton,
                                              ui->oneDayButton,  ui->twoDayButton, ui->weekButton,
                                              ui->allTasksButton};
    for (size_t action = 0; action < buttons.size(); ++action) {
        const QString word = QString::fromLatin1(actionTitles[action].word);
        const bool isDefault = titledAssignment[action] == DBManager::defaultKeyIndexes()[action];
        // Another key: the word no longer names it, and only a leading space is emphasised.
        const QString title = isDefault || word.startsWith(u' ') ? word : u' ' + word;
        const QString emphasis = isDefault
                                     ? QString::fromLatin1(actionTitles[action].defaultEmphasis)
                                     : QStringLiteral(" ");
        buttons[action]->setAttributedTitle(getAttributedBoldText(title, emphasis));
    }
}
