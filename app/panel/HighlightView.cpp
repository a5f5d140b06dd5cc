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
}

double HighlightView::opacity() const {
    return effect_->opacity();
}

void HighlightView::fadeIn() {
    animate(fadeMs, {{1.0, 1.0}});
}

void HighlightView::fadeOut() {
    animate(fadeMs, {{0.0, 1.0}, {1.0, 0.0}});
}

void HighlightView::flash() {
    constexpr double total = flashMs + fadeMs;
    animate(flashMs + fadeMs, {{fadeMs / total, 1.0}, {flashMs / total, 1.0}, {1.0, 0.0}});
}

void HighlightView::animate(int ms, std::initializer_list<std::pair<double, double>> keys) {
    animation_->stop();
    animation_->setKeyValues({});
    animation_->setDuration(ms);
    animation_->setStartValue(opacity());
    for (const auto& [progress, value] : keys) {
        animation_->setKeyValueAt(progress, value);
    }
    animation_->start();
}
