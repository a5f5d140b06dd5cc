#include "panel/HighlightView.h"

#include <QGraphicsOpacityEffect>
#include <QPropertyAnimation>

HighlightView::HighlightView(QWidget* parent)
    : QWidget(parent)
    , effect(new QGraphicsOpacityEffect(this))
    , animation(new QPropertyAnimation(effect, "opacity", this)) {
    setObjectName(QStringLiteral("highlightView"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // Nothing to cover until the first action places it.
    setGeometry(QRect());
    effect->setOpacity(0);
    setGraphicsEffect(effect);
    animation->setDuration(fadeMs);
    settle.setSingleShot(true);
    settle.setInterval(settleMs);
    connect(&settle, &QTimer::timeout, this, [this] {
        animation->stop();
        effect->setOpacity(target);
    });
}

double HighlightView::opacity() const {
    return effect->opacity();
}

void HighlightView::fadeIn() {
    fade(opacity(), 1.0);
}

void HighlightView::fadeOut() {
    fade(1.0, 0.0);
}

void HighlightView::fade(double from, double to) {
    target = to;
    animation->stop();
    animation->setStartValue(from);
    animation->setEndValue(to);
    animation->start();
    // A later fade replaces the pending settling of an earlier one.
    settle.start();
}
