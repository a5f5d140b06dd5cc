#include "panel/TaskTextField.h"

#include "support/Graphemes.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTextLayout>

TaskTextField::TaskTextField(QWidget* parent)
    : QLineEdit(parent) {
    connect(this, &QLineEdit::textChanged, this, &TaskTextField::keepWithinLimit);
    connect(this, &QLineEdit::textChanged, this, &TaskTextField::nameForAssistiveTechnology);
}

void TaskTextField::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::ReadOnlyChange) {
        nameForAssistiveTechnology();
    }
}

// The name carries the item on show: a screen reader announces a name change of the panel's
// text, and a new item is one. As an input line it is named for what it takes.
void TaskTextField::nameForAssistiveTechnology() {
    const QString name = isReadOnly() ? QStringLiteral("Current task: ") + text().trimmed()
                                      : QStringLiteral("New task");
    if (name != accessibleName()) {
        setAccessibleName(name);
    }
}

void TaskTextField::setCharacterLimit(qsizetype limit, qsizetype warnBelow) {
    limit_ = limit;
    warnBelow_ = warnBelow;
    keepWithinLimit();
}

std::optional<qsizetype> TaskTextField::charactersLeft() const {
    const qsizetype left = limit_ - used_;
    if (limit_ <= 0 || isReadOnly() || left >= warnBelow_) {
        return std::nullopt;
    }
    return left;
}

void TaskTextField::keepWithinLimit() {
    used_ = Graphemes::count(text());
    if (limit_ > 0 && used_ > limit_ && !isReadOnly()) {
        // Typing or pasting past the end keeps what fits; the cursor stays where it was.
        const int cursor = cursorPosition();
        setText(Graphemes::first(text(), limit_));
        setCursorPosition(std::min(cursor, static_cast<int>(text().size())));
        return;
    }
    const auto left = charactersLeft();
    setAccessibleDescription(left ? QStringLiteral("%1 characters left").arg(*left) : QString());
    // Room for the count, so the text never runs under it.
    setTextMargins(0, 0, left ? fontMetrics().horizontalAdvance(QStringLiteral("00")) + 8 : 0, 0);
    update();
}

void TaskTextField::setTextColor(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::Text, color);
    setPalette(p);
}

QColor TaskTextField::textColor() const {
    return palette().color(QPalette::Text);
}

void TaskTextField::setAccent(std::optional<Accent> accent) {
    accentRun_ = std::move(accent);
    update();
}

void TaskTextField::setSelectable(bool selectable) {
    setFocusPolicy(selectable ? Qt::StrongFocus : Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents, !selectable);
}

bool TaskTextField::isSelectable() const {
    return !testAttribute(Qt::WA_TransparentForMouseEvents);
}

void TaskTextField::paintEvent(QPaintEvent* event) {
    if (!accentRun_ || !isReadOnly()) {
        QLineEdit::paintEvent(event);
        if (const auto left = charactersLeft()) {
            QPainter painter(this);
            painter.setPen(palette().color(QPalette::PlaceholderText));
            painter.drawText(rect().adjusted(0, 0, -4, 0), Qt::AlignRight | Qt::AlignVCenter,
                             QString::number(*left));
        }
        return;
    }
    QPainter painter(this);
    QStyleOptionFrame option;
    initStyleOption(&option);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
    const QRect area = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);

    QTextLayout layout(text(), font());
    QTextCharFormat accentFormat;
    accentFormat.setForeground(accentRun_->color);
    layout.setFormats({{accentRun_->start, accentRun_->length, accentFormat}});
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid()) {
        return;
    }
    const double width = line.naturalTextWidth();
    double x = area.left();
    if (alignment() & Qt::AlignHCenter) {
        x += std::max(0.0, (area.width() - width) / 2);
    } else if (alignment() & Qt::AlignRight) {
        x += std::max(0.0, area.width() - width);
    }
    const double y = area.top() + (area.height() - line.height()) / 2;
    painter.setPen(textColor());
    painter.setClipRect(area);
    layout.draw(&painter, QPointF(x, y));
}
