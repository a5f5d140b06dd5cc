// Showing the item the task model chose, its text fitted to the field.
#include "panel/ViewController.h"

#include "panel/HighlightView.h"
#include "tasks/TaskBoard.h"
#include "ui/Appearance.h"
#include "ui/Extensions.h"
#include "ui/NamedColors.h"
#include "ui_ViewController.h"

#include <QDateTime>
#include <QFontMetricsF>
#include <QLocale>

#include <algorithm>

namespace {

// "Hint:" of a tutorial task is drawn in its own colour.
constexpr int hintWordLength = 5;
// Room left beside a task text drawn smaller to fit.
constexpr double fittingMargin = 20;

// A button title shows its text as is: "&" is not a mnemonic marker here.
QString plainButtonTitle(QString text) {
    return text.replace(u'&', QStringLiteral("&&"));
}

} // namespace

double ViewController::fittedPointSize(double measuredWidth, double fieldWidth, double pointSize) {
    if (measuredWidth <= fieldWidth) {
        return pointSize;
    }
    return std::max(minimumFontSize, (fieldWidth - fittingMargin) / measuredWidth * pointSize);
}

void ViewController::adjustFontSizeToFitTextField() {
    const double width = QFontMetricsF(originalFont_).horizontalAdvance(ui_->taskText->text());
    QFont font = originalFont_;
    font.setPointSizeF(fittedPointSize(width, maxSize_.width(), originalFont_.pointSizeF()));
    ui_->taskText->setFont(font);
}

std::optional<std::size_t> ViewController::currentTask() const {
    return board_.currentTask();
}

bool ViewController::systemMessageActive() const {
    return board_.systemMessageActive();
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
