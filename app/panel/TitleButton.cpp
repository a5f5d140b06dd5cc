#include "panel/TitleButton.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <cmath>

void TitleButton::setAttributedTitle(const AttributedString& title) {
    attributed_ = title;
    setText(title.string);
    updateGeometry();
    update();
}

void TitleButton::layOut(QTextLayout& layout) const {
    layout.setText(attributed_->string);
    layout.setFont(font());
    QList<QTextLayout::FormatRange> runs = attributed_->runs;
    for (QTextLayout::FormatRange& run : runs) {
        // A disabled button draws its title in the palette's disabled colour.
        if (!isEnabled()) {
            run.format.clearForeground();
        }
        // An emphasised space marks a title that names no key: nothing of it should show.
        if (attributed_->string.mid(run.start, run.length).trimmed().isEmpty()) {
            run.format.setUnderlineStyle(QTextCharFormat::NoUnderline);
        }
    }
    layout.setFormats(runs);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e6);
    layout.endLayout();
}

namespace {

// Room around a flat title for the focus frame.
constexpr int flatInset = 3;

} // namespace

int TitleButton::leadingSpace() const {
    const QString& title = attributed_->string;
    qsizetype spaces = 0;
    while (spaces < title.size() && title[spaces].isSpace()) {
        ++spaces;
    }
    return fontMetrics().horizontalAdvance(title.left(spaces));
}

QSize TitleButton::sizeHint() const {
    QSize hint = QPushButton::sizeHint();
    if (attributed_) {
        QTextLayout layout;
        layOut(layout);
        const int styled = static_cast<int>(std::ceil(layout.lineAt(0).naturalTextWidth()));
        if (isFlat()) {
            // A link's edges are its title's, so a row of links lines up with the buttons
            // above: no style padding, no minimum width, no leading space.
            hint.setWidth(styled - leadingSpace() + 2 * flatInset);
        } else {
            hint.rwidth() +=
                std::max(0, styled - fontMetrics().horizontalAdvance(attributed_->string));
        }
    }
    return hint;
}

QSize TitleButton::minimumSizeHint() const {
    return attributed_ && isFlat() ? sizeHint() : QPushButton::minimumSizeHint();
}

void TitleButton::paintEvent(QPaintEvent* event) {
    if (!attributed_) {
        QPushButton::paintEvent(event);
    } else {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text.clear();
        painter.drawControl(QStyle::CE_PushButton, option);

        QTextLayout layout;
        layOut(layout);
        const QTextLine line = layout.lineAt(0);
        const QRect area =
            isFlat() ? rect()
                     : style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
        const double left =
            isFlat() ? flatInset - leadingSpace() : (area.width() - line.naturalTextWidth()) / 2;
        const QPointF origin(area.x() + left, area.y() + (area.height() - line.height()) / 2);
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                       QPalette::ButtonText));
        layout.draw(&painter, origin);
    }
    if (hasFocus()) {
        // The panel's flat buttons get no focus frame from the style; a keyboard user
        // must still see where Tab went.
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1.5));
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 3, 3);
    }
}
