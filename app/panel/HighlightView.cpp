#include "panel/HighlightView.h"

#include <QGraphicsOpacityEffect>
#include <QPropertyAnimation>

HighlightView::HighlightView(QWidget* parent)
    : QWidget(parent)
    , effect_(new QGraphicsOpacityEffect(this))
    , animation_(new QPropertyAnimation(effect_, "opacity", this)) {
    setObjectName(QStringLiteral("highlightView"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // Nothing to cover until the first action places it.
    setGeometry(QRect());
    effect_->setOpacity(0);
    setGraphicsEffect(effect_);
    animation_->setDuration(fadeMs);
    settle_.setSingleShot(true);
    settle_.setInterval(settleMs);
    connect(&settle_, &QTimer::timeout, this, [this] {
        animation_->stop();
        effect_->setOpacity(target_);
    });
}

double HighlightView::opacity() const {
    return effect_->opacity();
}

void HighlightView::fadeIn() {
    fade(opacity(), 1.0);
}

void HighlightView::fadeOut() {
    fade(1.0, 0.0);
}

void HighlightView::fade(double from, double to) {
    target_ = to;
    animation_->stop();
    animation_->setStartValue(from);
    animation_->setEndValue(to);
    animation_->start();
    // A later fade replaces the pending settling of an earlier one.
    settle_.start();
}
