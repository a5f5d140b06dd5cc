#include "panel/BGView.h"

#include "support/Appearance.h"
#include "support/Extensions.h"
#include "support/NamedColors.h"

BGView::BGView(QWidget* parent)
    : QWidget(parent) {
    ViewLayer::ensure(this);
    updateLayer();
    connect(&Appearance::shared(), &Appearance::changed, this, &BGView::updateLayer);
}

void BGView::updateLayer() {
    if (ViewLayer* layer = ViewLayer::of(this)) {
        layer->setBackgroundColor(NamedColors::color(QStringLiteral("bg")));
    }
}
