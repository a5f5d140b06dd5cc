#include "panel/TaskTextField.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTextLayout>

TaskTextField::TaskTextField(QWidget* parent)
    : QLineEdit(parent) {}

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
