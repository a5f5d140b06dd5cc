#include "panel/BGView.h"

#include "ui/Appearance.h"
#include "ui/Extensions.h"
#include "ui/NamedColors.h"

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
