// Loading, first appearance and showing the item the task model chose.
#include "panel/ViewController.h"

#include "panel/HighlightView.h"
#include "panel/PBWindow.h"
#include "support/Console.h"
#include "tasks/TaskBoard.h"
#include "ui/Appearance.h"
#include "ui/Extensions.h"
#include "ui/Fonts.h"
#include "ui/NamedColors.h"
#include "ui_ViewController.h"

#include <QDateTime>
#include <QKeySequence>
#include <QLocale>
#include <QScreen>
#include <QShortcut>

namespace {

// "Hint:" of a tutorial task is drawn in its own colour.
constexpr int hintWordLength = 5;

// A button title shows its text as is: "&" is not a mnemonic marker here.
QString plainButtonTitle(QString text) {
    return text.replace(u'&', QStringLiteral("&&"));
}

} // namespace

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

std::optional<std::size_t> ViewController::currentTask() const {
    return board_.currentTask();
}

bool ViewController::systemMessageActive() const {
    return board_.systemMessageActive();
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

void ViewController::setCurrentTask() {
    board_.setCurrentTask();
    showCurrentItem();
}

void ViewController::showCurrentItem() {
    ui_->ctaButton->hide();
    if (const SystemMessage* message = board_.currentMessage()) {
        showText(message->message + QStringLiteral("  "), QStringLiteral("systemMessage"));
        ui_->ctaButton->setText(plainButtonTitle(message->cta_text));
        ui_->ctaButton->show();
        setButtons(true);
    } else if (const Task* task = board_.currentTaskItem(); task && !task->isTutorial) {
        showText(task->name + QStringLiteral("  "), QStringLiteral("task"));
        setButtons(true);
    } else if (task) {
        showText(task->name, QStringLiteral("tutorial"));
        accentColorName_ = QStringLiteral("hint");
        ui_->taskText->setAlignment(Qt::AlignCenter);
        applyNamedColors();
        setButtons(true);
    } else {
        setNoTask();
    }
    adjustFontSizeToFitTextField();
}

void ViewController::setNoTask() {
    ui_->taskText->setReadOnly(true);
    ui_->taskText->setSelectable(false);
    showText(nothingToDoText(), QStringLiteral("nothing"));
    setButtons(false);
    ui_->hintLabel->hide();
}

QString ViewController::nothingToDoText() const {
    const TaskBoard::Snoozed snoozed = board_.snoozedTasks();
    QString text = QStringLiteral("Nothing to do");
    if (snoozed.count == 0) {
        return text;
    }
    // So the user knows the tasks are safe, and when the first one is back.
    text += QStringLiteral(" · %1 snoozed").arg(snoozed.count);
    if (snoozed.nextBack) {
        const auto local = [](Date date) {
            return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(date.unixSeconds() * 1000));
        };
        const QDateTime back = local(*snoozed.nextBack);
        const QLocale locale;
        text += QStringLiteral(", next back at ") +
                (back.date() == local(board_.now()).date()
                     ? locale.toString(back.time(), QLocale::ShortFormat)
                     : locale.toString(back, QLocale::ShortFormat));
    }
    return text;
}

void ViewController::setButtons(bool enabled) {
    for (QWidget* button : {ui_->doneButton, ui_->hourButton, ui_->oneDayButton, ui_->twoDayButton,
                            ui_->weekButton}) {
        button->setEnabled(enabled);
    }
    if (enabled) {
        ui_->taskText->setReadOnly(true);
        ui_->taskText->setSelectable(false);
    }
}

void ViewController::showText(const QString& text, const QString& colorName) {
    textColorName_ = colorName;
    accentColorName_.clear();
    ui_->taskText->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ui_->taskText->setText(text);
    ui_->taskText->setCursorPosition(0);
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

    ViewStyle::setBorderColor(highlightView_, NamedColors::color(QStringLiteral("hint")));
    QPalette cta = ui_->ctaButton->palette();
    cta.setColor(QPalette::ButtonText, named(QStringLiteral("systemMessage")));
    ui_->ctaButton->setPalette(cta);

    if (!textColorName_.isEmpty()) {
        ui_->taskText->setTextColor(named(textColorName_));
    }
    if (accentColorName_.isEmpty()) {
        ui_->taskText->setAccent(std::nullopt);
    } else {
        ui_->taskText->setAccent(TaskTextField::Accent{0, hintWordLength, named(accentColorName_)});
    }
}
