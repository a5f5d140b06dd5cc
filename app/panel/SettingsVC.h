#pragma once

#include "HotKey/Key.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class ViewController;

namespace Ui {
class SettingsVC;
}

// The shortcut settings window: one drop-down list of the assignable keys per action, a
// rule against giving one key to two actions, and Save / Cancel. The working copies start
// from the stored assignment each time the window opens and go when it closes.
class SettingsVC : public QWidget {
    Q_OBJECT
public:
    // The seven actions, in the order of every list here and of the stored assignment.
    static constexpr std::size_t actionCount = 7;

    explicit SettingsVC(QWidget* parent = nullptr);
    ~SettingsVC() override;

    // Set by the panel before the window opens; told to re-register after a save.
    QPointer<ViewController> vc;

    const std::vector<std::int64_t>& keyIndexes() const { return indexes; }
    const std::vector<Key>& currentKeys() const { return keys; }
    // The drop-down list of the action with this tag (0 to 6).
    QComboBox* combo(int tag) const { return combos[static_cast<size_t>(tag)]; }
    // The mark beside it telling that the desktop refused the shortcut.
    QLabel* refusedMark(int tag) const { return refusedMarks[static_cast<size_t>(tag)]; }

    void setComboItem(QComboBox* combo);
    // The user picked an entry in a drop-down list.
    void comboBoxSelectionDidChange(QComboBox* combo);
    void saveAction();
    void cancelAction();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void viewDidLoad();

    std::unique_ptr<Ui::SettingsVC> ui;
    std::array<QComboBox*, actionCount> combos{};
    std::array<QLabel*, actionCount> refusedMarks{};
    std::vector<std::int64_t> indexes;
    std::vector<Key> keys;
    bool saving = false;
    bool placed = false;
};
