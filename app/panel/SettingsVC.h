#pragma once

#include "HotKey/Key.h"
#include "store/ShortcutAction.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QComboBox;
class QLabel;

namespace Ui {
class SettingsVC;
}

// What a desktop that binds the shortcuts itself says of them: its own words for each action's
// keys, and its settings page for them. Both empty where the application grabs its keys.
struct DesktopShortcuts {
    std::function<QString(ShortcutAction)> trigger;
    std::function<void()> configure;
};

// The settings window: its Shortcuts section first (one drop-down list of the assignable keys
// per action, a rule against giving one key to two actions), the sections added after it, and
// Save / Cancel for the shortcuts. The working copies start from the stored assignment each
// time the window opens and go when it closes.
class SettingsVC : public QWidget {
    Q_OBJECT
public:
    // Whether the desktop accepted an action's shortcut.
    using LivenessQuery = std::function<bool(ShortcutAction)>;

    // Opens in the middle of `panel`'s screen, marking the shortcuts `isHotKeyLive` denies,
    // and showing what the desktop bound where it binds them itself.
    SettingsVC(LivenessQuery isHotKeyLive, QWidget* panel, DesktopShortcuts desktop = {});
    ~SettingsVC() override;

    const std::vector<std::int64_t>& keyIndexes() const { return indexes_; }
    const std::vector<Key>& currentKeys() const { return keys_; }
    // The drop-down list of the action with this tag (0 to 6).
    QComboBox* combo(int tag) const { return combos_[static_cast<size_t>(tag)]; }
    // The mark beside it telling that the desktop refused the shortcut, or which keys the
    // desktop bound.
    QLabel* refusedMark(int tag) const { return refusedMarks_[static_cast<size_t>(tag)]; }

    void setComboItem(QComboBox* combo);
    // The user picked an entry in a drop-down list.
    void comboBoxSelectionDidChange(QComboBox* combo);
    void saveAction();
    void cancelAction();
    // Another part of the settings, shown under the earlier ones with a title of its own.
    void addSection(const QString& title, QWidget* section);

signals:
    // A new assignment is stored; the shortcuts are to be registered again.
    void keysSaved();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void viewDidLoad();
    void markShortcuts();
    void alignLabels();
    void fitTo(const QRect& area);

    LivenessQuery isHotKeyLive_;
    DesktopShortcuts desktop_;
    QPointer<QWidget> panel_;
    std::unique_ptr<Ui::SettingsVC> ui_;
    std::array<QComboBox*, shortcutActionCount> combos_{};
    std::array<QLabel*, shortcutActionCount> refusedMarks_{};
    std::vector<std::int64_t> indexes_;
    std::vector<Key> keys_;
    bool saving_ = false;
    bool placed_ = false;
};
