#include "panel/SettingsVC.h"

#include "panel/ViewController.h"
#include "store/DBManager.h"
#include "support/Console.h"
#include "ui_SettingsVC.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace {

int comboTag(QComboBox* combo) {
    return combo->property("tag").toInt();
}

// The first position of `key` in the assignable keys; 0 when it is not there.
int positionOf(Key key) {
    const auto& all = DBManager::keys();
    const auto it = std::find(all.begin(), all.end(), key);
    return it == all.end() ? 0 : static_cast<int>(it - all.begin());
}

} // namespace

SettingsVC::SettingsVC(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , ui(std::make_unique<Ui::SettingsVC>()) {
    ui->setupUi(this);
    viewDidLoad();
}

SettingsVC::~SettingsVC() = default;

void SettingsVC::viewDidLoad() {
    combos = {ui->addNewCombo,     ui->doneCombo,        ui->snooze1HourCombo, ui->snooze1DayCombo,
              ui->snooze2DayCombo, ui->snooze1WeekCombo, ui->allTasksCombo};
    refusedMarks = {ui->addNewRefused,     ui->doneRefused,       ui->snooze1HourRefused,
                    ui->snooze1DayRefused, ui->snooze2DayRefused, ui->snooze1WeekRefused,
                    ui->allTasksRefused};
    QStringList entries;
    for (const Key key : DBManager::keys()) {
        entries.append(description(key));
    }
    for (size_t tag = 0; tag < actionCount; ++tag) {
        QComboBox* box = combos[tag];
        box->setProperty("tag", static_cast<int>(tag));
        box->addItems(entries);
        // A pick by the user, not a change made here.
        connect(box, &QComboBox::activated, this, [this, box] { comboBoxSelectionDidChange(box); });
    }
    indexes = DBManager::getKeys();
    keys.clear();
    for (const std::int64_t index : indexes) {
        keys.push_back(DBManager::keys()[static_cast<size_t>(index)]);
    }
    for (QComboBox* box : combos) {
        setComboItem(box);
    }
    connect(ui->saveButton, &QPushButton::clicked, this, &SettingsVC::saveAction);
    connect(ui->cancelButton, &QPushButton::clicked, this, &SettingsVC::cancelAction);
}

void SettingsVC::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!placed && vc) {
        // Open in the middle of the panel's screen, not wherever the window manager puts it.
        placed = true;
        const QRect area = vc->screen()->availableGeometry();
        move(area.center() - rect().center());
    }
    // Mark what the desktop refused, as it stands when the window appears.
    for (size_t tag = 0; tag < actionCount; ++tag) {
        refusedMarks[tag]->setVisible(vc && !vc->isHotKeyLive(static_cast<int>(tag)));
    }
}

void SettingsVC::setComboItem(QComboBox* combo) {
    const int tag = comboTag(combo);
    const Key key = keys[static_cast<size_t>(tag)];
    combo->setCurrentIndex(static_cast<int>(indexes[static_cast<size_t>(tag)]));
    combo->view()->scrollTo(combo->model()->index(positionOf(key), 0));
}

void SettingsVC::comboBoxSelectionDidChange(QComboBox* combo) {
    const int tag = comboTag(combo);
    const int picked = combo->currentIndex();
    // A text typed into the box selects nothing: there is no key to take.
    if (picked < 0 || picked >= static_cast<int>(DBManager::assignableKeyCount)) {
        return;
    }
    const Key key = DBManager::keys()[static_cast<size_t>(picked)];
    Console::printLine("comboBoxSelectionDidChange:", QString::number(tag) + u',',
                       "value:", description(key));
    const auto first = std::find(keys.begin(), keys.end(), key);
    const auto last = std::find(keys.rbegin(), keys.rend(), key);
    const bool unused = first == keys.end();
    const bool ownKey = !unused && first - keys.begin() == tag && keys.rend() - last - 1 == tag;
    if (unused || ownKey) {
        keys[static_cast<size_t>(tag)] = key;
        indexes[static_cast<size_t>(tag)] = picked;
        return;
    }
    Console::printLine(description(key), " already in use");
    setComboItem(combo);
}

void SettingsVC::saveAction() {
    if (saving) {
        return;
    }
    saving = true;
    DBManager::saveKeys(indexes);
    QTimer::singleShot(100, this, [this] {
        if (vc) {
            vc->resetKeys();
        }
        close();
    });
}

void SettingsVC::cancelAction() {
    close();
}
