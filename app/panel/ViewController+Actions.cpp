// The actions on the current item, the shortcut handlers and the two confirmations.
#include "panel/HighlightView.h"
#include "panel/ViewController.h"
#include "support/Console.h"
#include "tasks/TaskBoard.h"
#include "ui/Alert.h"
#include "ui/WindowRegistry.h"
#include "ui_ViewController.h"

#include <QApplication>

#include <array>

namespace {

// The platform's answer for the first button of an alert; the others follow it.
constexpr int firstButtonReturn = 1000;
constexpr std::array<int, 4> hideSeconds = {3600, 21600, 43200, 0};

} // namespace

void ViewController::connectActions() {
    connect(ui_->addButton, &QPushButton::clicked, this, [this] { addAction(ui_->addButton); });
    connect(ui_->doneButton, &QPushButton::clicked, this, [this] { doneAction(ui_->doneButton); });
    connect(ui_->hourButton, &QPushButton::clicked, this, [this] { hourAction(ui_->hourButton); });
    connect(ui_->oneDayButton, &QPushButton::clicked, this,
            [this] { oneDayAction(ui_->oneDayButton); });
    connect(ui_->twoDayButton, &QPushButton::clicked, this,
            [this] { twoDaysAction(ui_->twoDayButton); });
    connect(ui_->weekButton, &QPushButton::clicked, this, [this] { weekAction(ui_->weekButton); });
    connect(ui_->unsnoozeButton, &QPushButton::clicked, this, &ViewController::unsnoozeAllAction);
    connect(ui_->hideButton, &QPushButton::clicked, this, &ViewController::hideAction);
    connect(ui_->quitButton, &QPushButton::clicked, this, &ViewController::quitAction);
    connect(ui_->helpButton, &QPushButton::clicked, this, &ViewController::helpAction);
    connect(ui_->allTasksButton, &QPushButton::clicked, this, &ViewController::allTasksAction);
    connect(ui_->settingsButton, &QPushButton::clicked, this, &ViewController::settingsAction);
    connect(ui_->quenbyButton, &QPushButton::clicked, this, &ViewController::quenbyAction);
    connect(ui_->ctaButton, &QPushButton::clicked, this, &ViewController::ctaAction);
    connect(ui_->noticeButton, &QPushButton::clicked, this, [this] {
        noticeFollowed_ = true;
        ui_->noticeButton->hide();
        settingsAction();
    });
    connect(ui_->taskText, &QLineEdit::returnPressed, this, &ViewController::textAction);
}

void ViewController::installShortcutHandlers() {
    for (const ShortcutActionInfo& info : shortcutActions) {
        if (info.snoozeHours) {
            keyFunction(info.action) = [this, button = actionButton(info.action),
                                        hours = *info.snoozeHours] {
                snoozeShortcut(button, hours);
            };
        }
    }
    keyAFunction = [this] {
        if (QWidget* modal = activation_.blockingModal()) {
            // The panel cannot take the keyboard past it, so typing would land there unseen.
            Console::printLine("Not adding: finish the open dialog first:", modal->windowTitle());
            WindowRegistry::bringForward(modal);
            return;
        }
        activation_.rememberPrevious();
        activation_.activate(AppActivation::Mode::TakeFocus);
        addAction(ui_->addButton);
    };
    keyDFunction = [this] {
        activation_.rememberPrevious();
        if (activation_.isHidden()) {
            activation_.showAgainKeepingFocus();
        } else {
            // The task it marks is on screen before the highlight flashes over it.
            leaveAddMode();
            doneAction(ui_->doneButton);
        }
    };
    keyTFunction = [this] {
        const QString tasks = QStringLiteral("alltasks");
        if (env_.windows && env_.windows->isAvailable(tasks)) {
            // An open list takes the keyboard itself as it comes forward.
            activation_.activate(env_.windows->isOpen(tasks) ? AppActivation::Mode::LeaveFocus
                                                             : AppActivation::Mode::TakeFocus);
        }
        // Without a list to open the focus stays where the user is.
        performSegue(tasks);
    };
}

std::function<void()>& ViewController::keyFunction(ShortcutAction action) {
    switch (action) {
    case ShortcutAction::Add:
        return keyAFunction;
    case ShortcutAction::Done:
        return keyDFunction;
    case ShortcutAction::Hour:
        return keyHFunction;
    case ShortcutAction::Day:
        return key1Function;
    case ShortcutAction::TwoDays:
        return key2Function;
    case ShortcutAction::Week:
        return keyWFunction;
    case ShortcutAction::Tasks:
        break;
    }
    return keyTFunction;
}

TitleButton* ViewController::actionButton(ShortcutAction action) const {
    const std::array<TitleButton*, shortcutActionCount> buttons{
        ui_->addButton,    ui_->doneButton, ui_->hourButton,    ui_->oneDayButton,
        ui_->twoDayButton, ui_->weekButton, ui_->allTasksButton};
    return buttons[indexOf(action)];
}

void ViewController::snoozeShortcut(QAbstractButton* button, double hours) {
    activation_.rememberPrevious();
    if (activation_.isHidden()) {
        activation_.showAgainKeepingFocus();
        return;
    }
    leaveAddMode();
    snoozeTask(button, hours);
    activation_.revertToPrevious();
}

void ViewController::clearKeyboardFocus() {
    if (QWidget* focused = window()->focusWidget()) {
        focused->clearFocus();
    }
}

void ViewController::addAction(QAbstractButton* sender) {
    placeHighlight(sender);
    highlightOn();
    setButtons(false);
    ui_->ctaButton->hide();
    ui_->hintLabel->hide();
    textColorName_ = QStringLiteral("task");
    accentColorName_.clear();
    applyNamedColors();
    ui_->taskText->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ui_->taskText->setReadOnly(false);
    ui_->taskText->setText(std::exchange(draft_, QString()));
    ui_->taskText->setSelectable(true);
    ui_->taskText->setFont(originalFont_);
    ui_->taskText->setFocus();
    adding_ = true;
    board_.removeTutorial(TaskBoard::aHint);
}

void ViewController::textAction() {
    if (!adding_) {
        return;
    }
    setButtons(true);
    highlightOff();
    QTimer::singleShot(0, this, &ViewController::clearKeyboardFocus);
    adding_ = false;
    board_.addTask(ui_->taskText->text());
    showCurrentItem();
    activation_.revertToPrevious();
}

void ViewController::leaveAddMode() {
    if (!adding_) {
        return;
    }
    draft_ = ui_->taskText->text();
    adding_ = false;
    highlightOff();
    QTimer::singleShot(0, this, &ViewController::clearKeyboardFocus);
    setCurrentTask();
}

void ViewController::doneAction(QAbstractButton* sender) {
    if (board_.currentTask()) {
        placeHighlight(sender);
        highlightFlash();
        board_.doneCurrent();
        showCurrentItem();
    }
    activation_.revertToPrevious();
}

void ViewController::hourAction(QAbstractButton* sender) {
    snoozeAction(ShortcutAction::Hour, sender);
}

void ViewController::oneDayAction(QAbstractButton* sender) {
    snoozeAction(ShortcutAction::Day, sender);
}

void ViewController::twoDaysAction(QAbstractButton* sender) {
    snoozeAction(ShortcutAction::TwoDays, sender);
}

void ViewController::weekAction(QAbstractButton* sender) {
    snoozeAction(ShortcutAction::Week, sender);
}

void ViewController::snoozeAction(ShortcutAction action, QAbstractButton* sender) {
    snoozeTask(sender, *infoOf(action).snoozeHours);
    activation_.revertToPrevious();
}

void ViewController::snoozeTask(QAbstractButton* sender, double hours) {
    if (board_.currentTask()) {
        placeHighlight(sender);
        highlightFlash();
    }
    board_.snoozeCurrent(hours);
    showCurrentItem();
}

void ViewController::unsnoozeAllAction() {
    unsnoozeAll();
}

void ViewController::unsnoozeAll() {
    board_.unsnoozeAll();
    showCurrentItem();
}

void ViewController::hideAction() {
    const int answer = runAlert(
        window(), QStringLiteral("Hide Quenby"),
        QStringLiteral("This will hide Quenby for a period of time, to show it again immediately "
                       "just use a shortcut like Add Task (Ctrl+Alt+A)"),
        {QStringLiteral("1 Hour"), QStringLiteral("6 Hours"), QStringLiteral("12 Hours"),
         QStringLiteral("Cancel")},
        AlertKind::question);
    Console::printLine(firstButtonReturn + answer);
    const bool cancelled = answer == static_cast<int>(hideSeconds.size()) - 1;
    if (cancelled) {
        Console::printLine("Cancel");
    } else {
        activation_.hide();
    }
    // A new hide replaces the pending one, so an earlier, shorter hide cannot end it early.
    hideTimer_.start(hideSeconds[static_cast<size_t>(answer)] * 1000);
}

void ViewController::showAfterHide() {
    activation_.rememberPrevious();
    activation_.showAgainKeepingFocus();
}

void ViewController::quitAction() {
    if (dialogOKCancel(QStringLiteral("Quit"), QStringLiteral("Are you sure?"))) {
        emit quitRequested();
    }
}

bool ViewController::dialogOKCancel(const QString& question, const QString& text) {
    return runAlert(window(), question, text, {QStringLiteral("OK"), QStringLiteral("Cancel")},
                    AlertKind::question) == 0;
}
