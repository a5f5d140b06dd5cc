// Loading, first appearance and the selection pass of the panel.
#include "panel/ViewController.h"

#include "AppDelegate.h"
#include "panel/HighlightView.h"
#include "panel/PBWindow.h"
#include "panel/SettingsVC.h"
#include "store/DBManager.h"
#include "store/PreferenceStore.h"
#include "store/StoreKeys.h"
#include "support/Appearance.h"
#include "support/Console.h"
#include "support/Extensions.h"
#include "support/Fonts.h"
#include "support/NamedColors.h"
#include "ui_ViewController.h"

#include <QFile>
#include <QKeySequence>
#include <QScreen>
#include <QShortcut>

#include <algorithm>

const QString ViewController::aHint =
    QStringLiteral("Hint: Press Control-Option-A to add a new task");
const QString ViewController::dHint =
    QStringLiteral("Hint: Press Control-Option-D to mark task as done");
const QString ViewController::hHint =
    QStringLiteral("Hint: Press Control-Option-H to snooze task for an hour");

namespace {

// "Hint:" of a tutorial task is drawn in its own colour.
constexpr int hintWordLength = 5;

void sortByCreation(std::vector<Task>& tasks) {
    const auto earlier = [](const Task& a, const Task& b) { return a.created < b.created; };
    // Almost always sorted already; a stable sort of a sorted list would only move it.
    if (!std::is_sorted(tasks.begin(), tasks.end(), earlier)) {
        std::stable_sort(tasks.begin(), tasks.end(), earlier);
    }
}

// A button title shows its text as is: "&" is not a mnemonic marker here.
QString plainButtonTitle(QString text) {
    return text.replace(u'&', QStringLiteral("&&"));
}

template <typename Item> void wakeExpired(std::vector<Item>& items, const Clock& now) {
    for (Item& item : items) {
        if (item.isSnoozed && item.snoozedUntil && *item.snoozedUntil < now()) {
            item.isSnoozed = false;
            item.snoozedUntil.reset();
        }
    }
}

} // namespace

ViewController::ViewController(Environment environment, AppDelegate* delegate, QWidget* parent)
    : QWidget(parent)
    , env(std::move(environment))
    , ui(std::make_unique<Ui::ViewController>()) {
    ui->setupUi(this);
    ViewStyle::applyDesignedStyle(this);
    highlightView = new HighlightView(this);
    hideTimerObject.setSingleShot(true);
    connect(&hideTimerObject, &QTimer::timeout, this, &ViewController::showAfterHide);
    connect(&refreshTimer, &QTimer::timeout, this, [this] {
        if (!adding) {
            setCurrentTask();
        }
    });
    connectActions();
    connect(&Appearance::shared(), &Appearance::changed, this, &ViewController::applyNamedColors);
    // The titles' colours are named colours too.
    connect(&Appearance::shared(), &Appearance::changed, this, &ViewController::setTitles);
    viewDidLoad(delegate);
}

ViewController::~ViewController() = default;

void ViewController::viewDidLoad(AppDelegate* delegate) {
    ui->taskText->setFont(Fonts::named(Fonts::regularFace, taskFontSize));
    for (QWidget* button : {ui->helpButton, ui->allTasksButton, ui->quitButton, ui->hideButton,
                            ui->settingsButton, ui->quenbyButton}) {
        button->setFont(Fonts::named(Fonts::lightFace, smallFontSize));
    }
    originalFont = ui->taskText->font();
    installShortcutHandlers();
    if (delegate) {
        delegate->setViewController(this);
    }
    setTitles();
    setupKeys();
    registerSegue(QStringLiteral("settings"), [](ViewController& panel) {
        auto* settings = new SettingsVC;
        settings->vc = &panel;
        return settings;
    });
    // The usual key for preferences, so the settings are reachable without a pointer.
    connect(new QShortcut(QKeySequence(QStringLiteral("Ctrl+,")), this), &QShortcut::activated,
            this, &ViewController::settingsAction);
    taskList = DBManager::getTaskList();
    sortByCreation(taskList);
    addTutorialTasks();
    ViewStyle::setBorderWidth(highlightView, 2);
    highlightView->raise();
    applyNamedColors();
    // The hidden hint keeps its place, so the buttons do not move under the pointer or the
    // highlight. The call to action only takes room from the spacer before it.
    QSizePolicy hintPolicy = ui->hintLabel->sizePolicy();
    hintPolicy.setRetainSizeWhenHidden(true);
    ui->hintLabel->setSizePolicy(hintPolicy);
    ui->ctaButton->hide();
    messageList = DBManager::getSystemMessages();
}

void ViewController::addTutorialTasks() {
    if (std::any_of(taskList.begin(), taskList.end(), [](const Task& t) { return t.isTutorial; })) {
        return;
    }
    for (const QString& hint : {aHint, dHint, hHint}) {
        Task tutorial;
        tutorial.id = QUuid::createUuid();
        tutorial.name = hint;
        tutorial.created = env.now();
        tutorial.isTutorial = true;
        taskList.push_back(tutorial);
    }
    // Nothing reads the flag back; a failed write has said why.
    static_cast<void>(PreferenceStore::standard().setBool(StoreKeys::tutorialsAdded, true));
}

void ViewController::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    viewDidAppear();
}

void ViewController::viewDidAppear() {
    Console::printLine("viewDidAppear");
    hideTimerObject.stop();
    if (!firstTime) {
        return;
    }
    firstTime = false;
    if (auto* panel = qobject_cast<PBWindow*>(window())) {
        panel->roundCorners(10);
    }
    if (const QScreen* s = screen()) {
        screenArea = s->availableGeometry();
    }
    maxSize = ui->taskText->size();
    refreshTimer.start(env.refreshInterval);
    setCurrentTask();
    QTimer::singleShot(0, this, &ViewController::clearKeyboardFocus);
}

void ViewController::setCurrentTask() {
    sortByCreation(taskList);
    checkSnoozedTasks();
    current.reset();
    messageActive = false;
    ui->ctaButton->hide();

    const auto message = std::find_if(messageList.begin(), messageList.end(),
                                      [](const SystemMessage& m) { return !m.isSnoozed; });
    if (message != messageList.end()) {
        current = static_cast<size_t>(message - messageList.begin());
        showText(message->message + QStringLiteral("  "), QStringLiteral("systemMessage"));
        ui->ctaButton->setText(plainButtonTitle(message->cta_text));
        ui->ctaButton->show();
        setButtons(true);
        adjustFontSizeToFitTextField();
        messageActive = true;
        return;
    }

    const auto open = std::find_if(taskList.begin(), taskList.end(), [](const Task& t) {
        return !t.isSnoozed && !t.isTutorial && !t.isDone;
    });
    const auto tutorial =
        std::find_if(taskList.begin(), taskList.end(), [](const Task& t) { return t.isTutorial; });
    if (open != taskList.end()) {
        current = static_cast<size_t>(open - taskList.begin());
        showText(open->name + QStringLiteral("  "), QStringLiteral("task"));
        setButtons(true);
    } else if (tutorial != taskList.end()) {
        current = static_cast<size_t>(tutorial - taskList.begin());
        showText(tutorial->name, QStringLiteral("tutorial"));
        accentColorName = QStringLiteral("hint");
        ui->taskText->setAlignment(Qt::AlignCenter);
        applyNamedColors();
        setButtons(true);
    } else {
        setNoTask();
    }
    adjustFontSizeToFitTextField();
}

void ViewController::checkSnoozedTasks() {
    wakeExpired(taskList, env.now);
    DBManager::saveTaskList(taskList);
    wakeExpired(messageList, env.now);
    DBManager::saveSystemMessages(messageList);
}

void ViewController::setNoTask() {
    ui->taskText->setReadOnly(true);
    ui->taskText->setSelectable(false);
    showText(QStringLiteral("Nothing to do"), QStringLiteral("nothing"));
    setButtons(false);
    ui->hintLabel->hide();
}

void ViewController::setButtons(bool enabled) {
    for (QWidget* button :
         {ui->doneButton, ui->hourButton, ui->oneDayButton, ui->twoDayButton, ui->weekButton}) {
        button->setEnabled(enabled);
    }
    if (enabled) {
        ui->taskText->setReadOnly(true);
        ui->taskText->setSelectable(false);
    }
}

void ViewController::showText(const QString& text, const QString& colorName) {
    textColorName = colorName;
    accentColorName.clear();
    ui->taskText->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ui->taskText->setText(text);
    ui->taskText->setCursorPosition(0);
    applyNamedColors();
}

void ViewController::applyNamedColors() {
    const auto named = [](const QString& name) {
        return NamedColors::color(name).value_or(QColor(Qt::gray));
    };
    const QColor bg = named(QStringLiteral("bg"));
    QPalette p = palette();
    p.setColor(QPalette::Window, bg);
    p.setColor(QPalette::Base, bg);
    p.setColor(QPalette::Button, Appearance::shared().isDark() ? bg.lighter(135) : bg.darker(106));
    p.setColor(QPalette::ButtonText, named(QStringLiteral("task")));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, named(QStringLiteral("nothing")));
    p.setColor(QPalette::WindowText, named(QStringLiteral("tutorial")));
    p.setColor(QPalette::Text, named(QStringLiteral("task")));
    setPalette(p);

    ViewStyle::setBorderColor(highlightView, NamedColors::color(QStringLiteral("hint")));
    QPalette cta = ui->ctaButton->palette();
    cta.setColor(QPalette::ButtonText, named(QStringLiteral("systemMessage")));
    ui->ctaButton->setPalette(cta);

    if (!textColorName.isEmpty()) {
        ui->taskText->setTextColor(named(textColorName));
    }
    if (accentColorName.isEmpty()) {
        ui->taskText->setAccent(std::nullopt);
    } else {
        ui->taskText->setAccent(TaskTextField::Accent{0, hintWordLength, named(accentColorName)});
    }
}
