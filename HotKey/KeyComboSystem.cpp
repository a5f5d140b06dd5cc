// The combinations already taken elsewhere: by the desktop and by the application's menus.
#include "HotKey/KeyCombo.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>

namespace {

void appendKeyCombos(const QMenu& menu, std::vector<KeyCombo>& combos) {
    for (const QAction* action : menu.actions()) {
        const QKeySequence shortcut = action->shortcut();
        if (!shortcut.isEmpty()) {
            // A shortcut's key is read from its portable name ("A", ",", "F5", "Space").
            const QKeyCombination first = shortcut[0];
            const QString keyName = QKeySequence(first.key()).toString(QKeySequence::PortableText);
            if (const std::optional<Key> key = keyFromString(keyName)) {
                combos.emplace_back(*key, ModifierFlags::fromQt(first.keyboardModifiers()));
            }
        }
        if (const QMenu* submenu = action->menu()) {
            appendKeyCombos(*submenu, combos);
        }
    }
}

} // namespace

std::vector<KeyCombo> KeyCombo::systemKeyCombos() {
    return {};
}

std::vector<KeyCombo> KeyCombo::mainMenuKeyCombos() {
    for (const QWidget* widget : QApplication::topLevelWidgets()) {
        const auto* menu = qobject_cast<const QMenu*>(widget);
        if (menu != nullptr && menu->objectName() == QLatin1String(mainMenuObjectName)) {
            return keyCombos(*menu);
        }
    }
    return {};
}

std::vector<KeyCombo> KeyCombo::keyCombos(const QMenu& menu) {
    std::vector<KeyCombo> combos;
    appendKeyCombos(menu, combos);
    return combos;
}
