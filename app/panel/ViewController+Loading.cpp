// Building the panel, wiring its parts, loading the lists and the first appearance.
#include "panel/HighlightView.h"
#include "panel/PBWindow.h"
#include "panel/ViewController.h"
#include "support/Console.h"
#include "tasks/TaskBoard.h"
#include "ui/Appearance.h"
#include "ui/Extensions.h"
#include "ui/Fonts.h"
#include "ui_ViewController.h"

#include <QKeySequence>
#include <QScreen>
#include <QShortcut>

ViewController::ViewController(TaskBoard& board, Environment environment, QWidget* parent)
    : QWidget(parent)
    , board_(board)
    , env_(std::move(environment))
    , ui_(std::make_unique<Ui::ViewController>())
    , activation_(*this, env_.focus)
    , shortcuts_([this](ShortcutAction action) { keyFunction(action)(); }) {
    ui_->setupUi(this);
    ViewStyle::applyDesignedStyle(this);
    highlightView_ = new HighlightView(this);
    hideTimer_.setSingleShot(true);
    connect(&hideTimer_, &QTimer::timeout, this, &ViewController::showAfterHide);
    connect(&refreshTimer_, &QTimer::timeout, this, [this] {
        if (!adding_) {
            setCurrentTask();
        }
    });
    connectActions();
    connect(&Appearance::shared(), &Appearance::changed, this, &ViewController::applyNamedColors);
    // The titles' colours are named colours too.
    connect(&Appearance::shared(), &Appearance::changed, this, &ViewController::setTitles);
    // Another window changed the lists: show the model's choice, but never over typing.
    connect(&board_, &TaskBoard::changed, this, [this] {
        if (!adding_ && !firstTime_) {
            showCurrentItem();
        }
    });
    // Both the titles and the notice follow what the desktop made of the keys.
    connect(&shortcuts_, &ShortcutBinder::changed, this, [this] {
        setTitles();
        showRefusedShortcutNotice();
    });
    viewDidLoad();
}

ViewController::~ViewController() = default;

void ViewController::viewDidLoad() {
    ui_->taskText->setFont(Fonts::named(Fonts::regularFace, taskFontSize));
    for (QWidget* button : {ui_->helpButton, ui_->allTasksButton, ui_->quitButton, ui_->hideButton,
                            ui_->settingsButton, ui_->quenbyButton}) {
        button->setFont(Fonts::named(Fonts::lightFace, smallFontSize));
    }
    originalFont_ = ui_->taskText->font();
    ui_->taskText->setCharacterLimit(TaskBoard::maxTaskLength, charactersLeftShownBelow);
    installShortcutHandlers();
    setTitles();
    shortcuts_.setup();
    // The usual key for preferences, so the settings are reachable without a pointer.
    connect(new QShortcut(QKeySequence(QStringLiteral("Ctrl+,")), this), &QShortcut::activated,
            this, &ViewController::settingsAction);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            &ViewController::helpAction);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), ui_->taskText);
    escape->setContext(Qt::WidgetShortcut);
    connect(escape, &QShortcut::activated, this, [this] {
        leaveAddMode();
        activation_.revertToPrevious();
    });
    board_.load();
    ViewStyle::setBorderWidth(highlightView_, 2);
    highlightView_->raise();
    applyNamedColors();
    // The hidden hint keeps its place, so the buttons do not move under the pointer or the
    // highlight. The call to action only takes room from the spacer before it.
    QSizePolicy hintPolicy = ui_->hintLabel->sizePolicy();
    hintPolicy.setRetainSizeWhenHidden(true);
    ui_->hintLabel->setSizePolicy(hintPolicy);
    ui_->ctaButton->hide();
}

void ViewController::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    viewDidAppear();
}

void ViewController::viewDidAppear() {
    Console::printLine("viewDidAppear");
    hideTimer_.stop();
    if (!firstTime_) {
        return;
    }
    firstTime_ = false;
    if (auto* panel = qobject_cast<PBWindow*>(window())) {
        panel->roundCorners(10);
    }
    if (const QScreen* s = screen()) {
        screenArea_ = s->availableGeometry();
    }
    maxSize_ = ui_->taskText->size();
    refreshTimer_.start(env_.refreshInterval);
    setCurrentTask();
    QTimer::singleShot(0, this, &ViewController::clearKeyboardFocus);
}
