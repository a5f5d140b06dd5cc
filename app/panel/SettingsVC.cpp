#include "panel/SettingsVC.h"

#include "shortcuts/AssignableKeys.h"
#include "store/DBManager.h"
#include "support/Console.h"
#include "ui_SettingsVC.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QKeySequence>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

int comboTag(QComboBox* combo) {
    return combo->property("tag").toInt();
}

// The first position of `key` in the assignable keys; 0 when it is not there.
int positionOf(Key key) {
    const auto& all = AssignableKeys::all();
    const auto it = std::find(all.begin(), all.end(), key);
    return it == all.end() ? 0 : static_cast<int>(it - all.begin());
}

// In the middle of `area`, or above or below `panel` where the middle would meet it and the
// screen has the room, so that no part of the settings sits behind the panel.
QPoint placedClearOf(QSize size, const QRect& panel, const QRect& area) {
    constexpr int gap = 8;
    QRect placed(QPoint(), size);
    placed.moveCenter(area.center());
    if (placed.intersects(panel)) {
        if (panel.bottom() + gap + size.height() <= area.bottom()) {
            placed.moveTop(panel.bottom() + gap);
        } else if (panel.top() - gap - size.height() >= area.top()) {
            placed.moveBottom(panel.top() - gap);
        }
    }
    // Its title bar stays on the screen.
    placed.moveTop(std::max(placed.top(), area.top()));
    return placed.topLeft();
}

// A section of the preferences: a bold title over its controls, which start at the title's
// edge, without a frame around them.
void styleSection(QGroupBox* box) {
    box->setStyleSheet(QStringLiteral(
        "QGroupBox { font-weight: bold; border: none; padding-top: 1.5em; }"
        "QGroupBox::title { subcontrol-origin: padding; subcontrol-position: top left; "
        "left: 0px; padding: 0px; }"));
    if (QLayout* layout = box->layout()) {
        layout->setContentsMargins(0, 0, 0, 0);
    }
}

} // namespace

SettingsVC::SettingsVC(LivenessQuery isHotKeyLive, QWidget* panel, DesktopShortcuts desktop)
    // A dialog of the panel's: X11 window managers see it transient for the panel and keep it
    // above the always-on-top panel (a plain window carries no WM_TRANSIENT_FOR).
    : QWidget(panel ? panel->window() : nullptr, Qt::Dialog)
    , isHotKeyLive_(std::move(isHotKeyLive))
    , desktop_(std::move(desktop))
    , panel_(panel)
    , ui_(std::make_unique<Ui::SettingsVC>()) {
    ui_->setupUi(this);
    viewDidLoad();
}

SettingsVC::~SettingsVC() = default;

void SettingsVC::viewDidLoad() {
    combos_ = {ui_->addNewCombo,     ui_->doneCombo,       ui_->snooze1HourCombo,
               ui_->snooze1DayCombo, ui_->snooze2DayCombo, ui_->snooze1WeekCombo,
               ui_->allTasksCombo};
    refusedMarks_ = {ui_->addNewRefused,     ui_->doneRefused,       ui_->snooze1HourRefused,
                     ui_->snooze1DayRefused, ui_->snooze2DayRefused, ui_->snooze1WeekRefused,
                     ui_->allTasksRefused};
    QStringList entries;
    for (const Key key : AssignableKeys::all()) {
        entries.append(description(key));
    }
    for (size_t tag = 0; tag < shortcutActionCount; ++tag) {
        QComboBox* box = combos_[tag];
        box->setProperty("tag", static_cast<int>(tag));
        box->addItems(entries);
        // A pick by the user, not a change made here.
        connect(box, &QComboBox::activated, this, [this, box] { comboBoxSelectionDidChange(box); });
    }
    indexes_ = DBManager::getKeys();
    keys_.clear();
    for (const std::int64_t index : indexes_) {
        keys_.push_back(AssignableKeys::all()[static_cast<size_t>(index)]);
    }
    for (QComboBox* box : combos_) {
        setComboItem(box);
    }
    connect(ui_->saveButton, &QPushButton::clicked, this, &SettingsVC::saveAction);
    connect(ui_->cancelButton, &QPushButton::clicked, this, &SettingsVC::cancelAction);
    ui_->configureButton->setVisible(static_cast<bool>(desktop_.configure));
    connect(ui_->configureButton, &QPushButton::clicked, this, [this] { desktop_.configure(); });
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &SettingsVC::cancelAction);
    styleSection(ui_->shortcutsBox);
    // The message about a taken key keeps its line while hidden, so nothing moves when it
    // shows; it is written in the colour the panel uses for what cannot be done.
    QSizePolicy policy = ui_->takenLabel->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    ui_->takenLabel->setSizePolicy(policy);
    ui_->takenLabel->setMinimumHeight(ui_->takenLabel->fontMetrics().height());
    QFont bold = ui_->takenLabel->font();
    bold.setBold(true);
    ui_->takenLabel->setFont(bold);
    alignLabels();
}

void SettingsVC::addSection(const QString& title, QWidget* section) {
    auto* box = new QGroupBox(title, this);
    (new QVBoxLayout(box))->addWidget(section);
    styleSection(box);
    if (QLayout* form = section->layout()) {
        form->setContentsMargins(0, 0, 0, 0);
    }
    ui_->settingsLayout->addWidget(box);
    // Tab follows the window down: Qt puts a new section's controls after Save, so the row of
    // buttons moves behind them.
    QWidget* last = box;
    for (QWidget* w = box->nextInFocusChain(); box->isAncestorOf(w); w = w->nextInFocusChain()) {
        last = w;
    }
    QWidget::setTabOrder(last, ui_->configureButton);
    QWidget::setTabOrder(ui_->configureButton, ui_->cancelButton);
    QWidget::setTabOrder(ui_->cancelButton, ui_->saveButton);
    alignLabels();
}

// Every section's labels take the width of the longest, so their fields start in one column.
void SettingsVC::alignLabels() {
    QList<QWidget*> labels;
    for (int row = 0; row < ui_->combosLayout->rowCount(); ++row) {
        if (const QLayoutItem* item = ui_->combosLayout->itemAtPosition(row, 0)) {
            labels.append(item->widget());
        }
    }
    for (const QFormLayout* form : findChildren<QFormLayout*>()) {
        for (int row = 0; row < form->rowCount(); ++row) {
            if (const QLayoutItem* item = form->itemAt(row, QFormLayout::LabelRole)) {
                labels.append(item->widget());
            }
        }
    }
    labels.removeAll(nullptr);
    int widest = 0;
    for (QWidget* label : labels) {
        label->setMinimumWidth(0);
        widest = std::max(widest, label->sizeHint().width());
    }
    for (QWidget* label : labels) {
        label->setMinimumWidth(widest);
    }
}

void SettingsVC::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!placed_ && panel_) {
        // Open on the panel's screen, not wherever the window manager puts it.
        placed_ = true;
        const QWidget* panelWindow = panel_->window();
        fitTo(panelWindow->screen()->availableGeometry());
        move(placedClearOf(frameGeometry().size(), panelWindow->frameGeometry(),
                           panelWindow->screen()->availableGeometry()));
    }
    markShortcuts();
}

// As tall as every section where the screen has the room; else the sections scroll and Save
// and Cancel stay in view.
void SettingsVC::fitTo(const QRect& area) {
    constexpr int titleBar = 40;
    const QSize content = ui_->scrollContents->sizeHint();
    const QMargins margins = ui_->windowLayout->contentsMargins();
    const int whole = content.height() + margins.top() + margins.bottom() +
                      ui_->windowLayout->spacing() + ui_->buttonRow->sizeHint().height();
    const int height = std::min(whole, area.height() - titleBar);
    const int bar = height < whole ? ui_->scrollArea->verticalScrollBar()->sizeHint().width() : 0;
    const int width = content.width() + margins.left() + margins.right() + bar;
    resize(std::min(width, area.width()), height);
}

// As the desktop's answers stand when the window appears.
void SettingsVC::markShortcuts() {
    for (size_t tag = 0; tag < shortcutActionCount; ++tag) {
        const ShortcutAction action = shortcutActions[tag].action;
        const bool refused = isHotKeyLive_ && !isHotKeyLive_(action);
        QLabel* mark = refusedMarks_[tag];
        if (desktop_.trigger) {
            const QString trigger = desktop_.trigger(action);
            mark->setText(refused             ? QStringLiteral("not bound by the desktop")
                          : trigger.isEmpty() ? QString()
                                              : QStringLiteral("the desktop: ") + trigger);
        }
        const bool named = desktop_.trigger && !mark->text().isEmpty();
        mark->setVisible(refused || named);
    }
}

void SettingsVC::setComboItem(QComboBox* combo) {
    const int tag = comboTag(combo);
    const Key key = keys_[static_cast<size_t>(tag)];
    combo->setCurrentIndex(static_cast<int>(indexes_[static_cast<size_t>(tag)]));
    combo->view()->scrollTo(combo->model()->index(positionOf(key), 0));
}

void SettingsVC::comboBoxSelectionDidChange(QComboBox* combo) {
    const int tag = comboTag(combo);
    const int picked = combo->currentIndex();
    // A text typed into the box selects nothing: there is no key to take.
    if (picked < 0 || picked >= static_cast<int>(DBManager::assignableKeyCount)) {
        return;
    }
    const Key key = AssignableKeys::all()[static_cast<size_t>(picked)];
    Console::printLine("comboBoxSelectionDidChange:", QString::number(tag) + u',',
                       "value:", description(key));
    const auto first = std::find(keys_.begin(), keys_.end(), key);
    const auto last = std::find(keys_.rbegin(), keys_.rend(), key);
    const bool unused = first == keys_.end();
    const bool ownKey = !unused && first - keys_.begin() == tag && keys_.rend() - last - 1 == tag;
    if (unused || ownKey) {
        keys_[static_cast<size_t>(tag)] = key;
        indexes_[static_cast<size_t>(tag)] = picked;
        ui_->takenLabel->hide();
        return;
    }
    Console::printLine(description(key), " already in use");
    std::size_t owner = 0;
    while (owner + 1 < keys_.size() && (keys_[owner] != key || owner == static_cast<size_t>(tag))) {
        ++owner;
    }
    ui_->takenLabel->setText(
        QStringLiteral("%1 is used by %2")
            .arg(description(key), QString::fromLatin1(shortcutActions[owner].title)));
    ui_->takenLabel->show();
    setComboItem(combo);
}

void SettingsVC::saveAction() {
    if (saving_) {
        return;
    }
    saving_ = true;
    DBManager::saveKeys(indexes_);
    emit keysSaved();
    QTimer::singleShot(100, this, &SettingsVC::close);
}

void SettingsVC::cancelAction() {
    close();
}
