// The actions on the current item, the shortcut handlers and the two confirmations.
#include "panel/HighlightView.h"
#include "panel/ViewController.h"
#include "store/DBManager.h"
#include "support/Alert.h"
#include "support/Console.h"
#include "ui_ViewController.h"

#include <QApplication>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <array>

namespace {

constexpr int maxTaskLength = 100;
constexpr double secondsPerHour = 3600;
// The platform's answer for the first button of an alert; the others follow it.
constexpr int firstButtonReturn = 1000;
constexpr std::array<int, 4> hideSeconds = {3600, 21600, 43200, 0};

// The first `count` user-perceived characters of `text`.
QString firstCharacters(const QString& text, int count) {
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    for (int i = 0; i < count && end >= 0 && end < text.size(); ++i) {
        end = graphemes.toNextBoundary();
    }
    return end < 0 ? text : text.left(end);
}

} // namespace

void ViewController::connectActions() {
    connect(ui->addButton, &QPushButton::clicked, this, [this] { addAction(ui->addButton); });
    connect(ui->doneButton, &QPushButton::clicked, this, [this] { doneAction(ui->doneButton); });
    connect(ui->hourButton, &QPushButton::clicked, this, [this] { hourAction(ui->hourButton); });
    connect(ui->oneDayButton, &QPushButton::clicked, this,
            [this] { oneDayAction(ui->oneDayButton); });
    connect(ui->twoDayButton, &QPushButton::clicked, this,
            [this] { twoDaysAction(ui->twoDayButton); });
    connect(ui->weekButton, &QPushButton::clicked, this, [this] { weekAction(ui->weekButton); });
    connect(ui->unsnoozeButton, &QPushButton::clicked, this, &ViewController::unsnoozeAllAction);
    connect(ui->hideButton, &QPushButton::clicked, this, &ViewController::hideAction);
    connect(ui->quitButton, &QPushButton::clicked, this, &ViewController::quitAction);
    connect(ui->helpButton, &QPushButton::clicked, this, &ViewController::helpAction);
    connect(ui->allTasksButton, &QPushButton::clicked, this, &ViewController::allTasksAction);
    connect(ui->settingsButton, &QPushButton::clicked, this, &ViewController::settingsAction);
    connect(ui->quenbyButton, &QPushButton::clicked, this, &ViewController::quenbyAction);
    connect(ui->ctaButton, &QPushButton::clicked, this, &ViewController::ctaAction);
    connect(ui->taskText, &QLineEdit::returnPressed, this, &ViewController::textAction);
}

void ViewController::installShortcutHandlers() {
    keyAFunction = [this] {
        rememberPreviousApp();
        activateApplication(Activation::TakeFocus);
        addAction(ui->addButton);
    };
    keyDFunction = [this] {
        rememberPreviousApp();
        if (applicationHidden) {
            showAgainKeepingFocus();
        } else {
            doneAction(ui->doneButton);
        }
    };
    keyHFunction = [this] { snoozeShortcut(ui->hourButton, 1); };
    key1Function = [this] { snoozeShortcut(ui->oneDayButton, 24); };
    key2Function = [this] { snoozeShortcut(ui->twoDayButton, 48); };
    keyWFunction = [this] { snoozeShortcut(ui->weekButton, 168); };
    keyTFunction = [this] {
        presentedWindows.removeAll(nullptr);
        if (presentedWindows.isEmpty()) {
            activateApplication(Activation::TakeFocus);
            performSegue(QStringLiteral("alltasks"));
        }
    };
}

void ViewController::snoozeShortcut(QAbstractButton* button, double hours) {
    rememberPreviousApp();
    if (applicationHidden) {
        showAgainKeepingFocus();
        return;
    }
    snoozeTask(button, hours);
    revertToPreviousApp();
}

void ViewController::showAgainKeepingFocus() {
    activateApplication(Activation::LeaveFocus);
    revertToPreviousApp();
}

void ViewController::rememberPreviousApp() {
    previousApp = env.focus->activeWindow();
}

void ViewController::revertToPreviousApp() {
    if (previousApp) {
        env.focus->activate(*previousApp);
        previousApp.reset();
    }
}

void ViewController::clearKeyboardFocus() {
    if (QWidget* focused = window()->focusWidget()) {
        focused->clearFocus();
    }
}

bool ViewController::removeTutorial(const QString& hint) {
    const auto it = std::find_if(taskList.begin(), taskList.end(),
                                 [&hint](const Task& t) { return t.isTutorial && t.name == hint; });
    if (it == taskList.end()) {
        return false;
    }
    const auto removed = static_cast<size_t>(it - taskList.begin());
    taskList.erase(it);
    // Keep the index on the task on show, so a later action before the next pass acts on it.
    if (!messageActive && current) {
        if (*current == removed) {
            current.reset();
        } else if (*current > removed) {
            --*current;
        }
    }
    DBManager::saveTaskList(taskList);
    return true;
}

void ViewController::addAction(QAbstractButton* sender) {
    placeHighlight(sender);
    highlightOn();
    setButtons(false);
    ui->ctaButton->hide();
    ui->hintLabel->hide();
    textColorName = QStringLiteral("task");
    accentColorName.clear();
    applyNamedColors();
    ui->taskText->clear();
    ui->taskText->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ui->taskText->setReadOnly(false);
    ui->taskText->setSelectable(true);
    ui->taskText->setFont(originalFont);
    ui->taskText->setFocus();
    adding = true;
    removeTutorial(aHint);
}

void ViewController::textAction() {
    if (!adding) {
        return;
    }
    setButtons(true);
    highlightOff();
    QTimer::singleShot(0, this, &ViewController::clearKeyboardFocus);
    const QString text = ui->taskText->text();
    if (!text.isEmpty()) {
        Task task;
        task.id = QUuid::createUuid();
        task.name = firstCharacters(text, maxTaskLength);
        task.created = env.now();
        taskList.push_back(task);
        DBManager::saveTaskList(taskList);
    }
    adding = false;
    setCurrentTask();
    revertToPreviousApp();
}

void ViewController::doneAction(QAbstractButton* sender) {
    if (current) {
        placeHighlight(sender);
        highlightOn();
        highlightTimer();
        if (messageActive) {
            messageList.erase(messageList.begin() + static_cast<std::ptrdiff_t>(*current));
            DBManager::saveSystemMessages(messageList);
        } else {
            Task& task = taskList[*current];
            task.isDone = true;
            task.doneDate = env.now();
            DBManager::saveTaskList(taskList);
            removeTutorial(dHint);
        }
        setCurrentTask();
    }
    revertToPreviousApp();
}

void ViewController::hourAction(QAbstractButton* sender) {
    snoozeTask(sender, 1);
    revertToPreviousApp();
}

void ViewController::oneDayAction(QAbstractButton* sender) {
    snoozeTask(sender, 24);
    revertToPreviousApp();
}

void ViewController::twoDaysAction(QAbstractButton* sender) {
    snoozeTask(sender, 48);
    revertToPreviousApp();
}

void ViewController::weekAction(QAbstractButton* sender) {
    snoozeTask(sender, 168);
    revertToPreviousApp();
}

void ViewController::snoozeTask(QAbstractButton* sender, double hours) {
    if (current) {
        placeHighlight(sender);
        highlightOn();
        highlightTimer();
        const Date until = env.now().addingSeconds(hours * secondsPerHour);
        if (messageActive) {
            SystemMessage& message = messageList[*current];
            message.snoozedUntil = until;
            message.isSnoozed = true;
            DBManager::saveSystemMessages(messageList);
        } else {
            Task& task = taskList[*current];
            task.snoozedUntil = until;
            task.isSnoozed = true;
            DBManager::saveTaskList(taskList);
        }
    }
    removeTutorial(hHint);
    setCurrentTask();
}

void ViewController::unsnoozeAllAction() {
    unsnoozeAll();
}

void ViewController::unsnoozeAll() {
    for (Task& task : taskList) {
        task.isSnoozed = false;
        task.snoozedUntil.reset();
    }
    DBManager::saveTaskList(taskList);
    setCurrentTask();
}

void ViewController::hideAction() {
    const int answer = runAlert(
        window(), QStringLiteral("Hide Quenby"),
        QStringLiteral("This will hide Quenby for a period of time, to show it again immediately "
                       "just use a shortcut like Add Task (Ctrl+Opt+A)"),
        {QStringLiteral("1 Hour"), QStringLiteral("6 Hours"), QStringLiteral("12 Hours"),
         QStringLiteral("Cancel")});
    Console::printLine(firstButtonReturn + answer);
    const bool cancelled = answer == static_cast<int>(hideSeconds.size()) - 1;
    if (cancelled) {
        Console::printLine("Cancel");
    } else {
        hideApplication();
    }
    // A new hide replaces the pending one, so an earlier, shorter hide cannot end it early.
    hideTimerObject.start(hideSeconds[static_cast<size_t>(answer)] * 1000);
}

void ViewController::showAfterHide() {
    rememberPreviousApp();
    showAgainKeepingFocus();
}

void ViewController::quitAction() {
    if (dialogOKCancel(QStringLiteral("Quit"), QStringLiteral("Are you sure?"))) {
        emit quitRequested();
    }
}

bool ViewController::dialogOKCancel(const QString& question, const QString& text) {
    return runAlert(window(), question, text, {QStringLiteral("OK"), QStringLiteral("Cancel")}) ==
           0;
}

void ViewController::hideApplication() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible()) {
            hiddenWindows.append(w);
            w->hide();
        }
    }
    applicationHidden = true;
}

void ViewController::activateApplication(Activation activation) {
    if (applicationHidden) {
        applicationHidden = false;
        for (const QPointer<QWidget>& w : std::as_const(hiddenWindows)) {
            if (w) {
                w->show();
            }
        }
        hiddenWindows.clear();
    }
    QWidget* panel = window();
    panel->show();
    panel->raise();
    if (activation == Activation::TakeFocus) {
        panel->activateWindow();
    }
}
