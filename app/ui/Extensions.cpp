#include "ui/Extensions.h"

#include "ui/NamedColors.h"

#include <QApplication>
#include <QTextBoundaryFinder>

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <vector>

ViewLayer::ViewLayer(QWidget* view)
    : QObject(view) {
    setObjectName(QStringLiteral("layer"));
    view->installEventFilter(this);
}

QWidget* ViewLayer::view() const {
    return static_cast<QWidget*>(parent());
}

ViewLayer* ViewLayer::of(const QWidget* view) {
    return view ? view->findChild<ViewLayer*>(QStringLiteral("layer"), Qt::FindDirectChildrenOnly)
                : nullptr;
}

ViewLayer& ViewLayer::ensure(QWidget* view) {
    ViewLayer* layer = of(view);
    return layer ? *layer : *new ViewLayer(view);
}

void ViewLayer::setCornerRadius(double value) {
    radius_ = value;
    view()->update();
}

void ViewLayer::setBorderWidth(double value) {
    width_ = value;
    view()->update();
}

void ViewLayer::setBorderColor(std::optional<QColor> value) {
    border_ = std::move(value);
    view()->update();
}

void ViewLayer::setBackgroundColor(std::optional<QColor> value) {
    background_ = std::move(value);
    view()->update();
}

void ViewLayer::paint(QPainter& painter) const {
    if (!background_ && !(border_ && width_ > 0)) {
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    // The border_ is drawn inside the bounds, as a layer's border_ is.
    const double inset = border_ && width_ > 0 ? width_ / 2 : 0;
    const QRectF bounds = QRectF(view()->rect()).adjusted(inset, inset, -inset, -inset);
    QPainterPath path;
    path.addRoundedRect(bounds, std::max(0.0, radius_ - inset), std::max(0.0, radius_ - inset));
    if (background_) {
        painter.fillPath(path, *background_);
    }
    if (border_ && width_ > 0) {
        painter.strokePath(path, QPen(*border_, width_));
    }
}

bool ViewLayer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Paint) {
        QPainter painter(view());
        paint(painter);
    }
    return QObject::eventFilter(watched, event);
}

namespace ViewStyle {

double cornerRadius(const QWidget* view) {
    const ViewLayer* layer = ViewLayer::of(view);
    return layer ? layer->cornerRadius() : 0;
}

void setCornerRadius(QWidget* view, double radius) {
    ViewLayer::ensure(view).setCornerRadius(radius);
}

double borderWidth(const QWidget* view) {
    const ViewLayer* layer = ViewLayer::of(view);
    return layer ? layer->borderWidth() : 0;
}

void setBorderWidth(QWidget* view, double width) {
    ViewLayer::ensure(view).setBorderWidth(width);
}

std::optional<QColor> borderColor(const QWidget* view) {
    const ViewLayer* layer = ViewLayer::of(view);
    return layer ? layer->borderColor() : std::nullopt;
}

void setBorderColor(QWidget* view, std::optional<QColor> color) {
    ViewLayer::ensure(view).setBorderColor(std::move(color));
}

void applyDesignedStyle(QWidget* root) {
    QList<QWidget*> views = root->findChildren<QWidget*>();
    views.prepend(root);
    for (QWidget* view : views) {
        if (const QVariant v = view->property("cornerRadius"); v.isValid()) {
            setCornerRadius(view, v.toDouble());
        }
        if (const QVariant v = view->property("borderWidth"); v.isValid()) {
            setBorderWidth(view, v.toDouble());
        }
        if (const QVariant v = view->property("borderColor"); v.isValid()) {
            setBorderColor(view, v.value<QColor>());
        }
    }
}

} // namespace ViewStyle

QTextCharFormat AttributedString::formatAt(qsizetype index) const {
    for (const QTextLayout::FormatRange& run : runs) {
        if (index >= run.start && index < run.start + run.length) {
            return run.format;
        }
    }
    return {};
}

AttributedString getAttributedBoldText(const QString& text, const QString& emphasis) {
    AttributedString result{text, {}};
    const qsizetype start = text.indexOf(emphasis);
    if (start < 0) {
        return result;
    }
    // The platform's system blue and gray stand in for colours the resources lack.
    const QColor shortcut =
        NamedColors::color(QStringLiteral("shortcut")).value_or(QColor(0, 122, 255));
    const QColor otherText =
        NamedColors::color(QStringLiteral("otherText")).value_or(QColor(128, 128, 128));

    // Formats per UTF-16 unit, set in two passes, the second over the first.
    std::vector<QTextCharFormat> formats(static_cast<size_t>(text.size()));
    QFont bold = QApplication::font();
    bold.setPointSizeF(11);
    bold.setBold(true);
    for (qsizetype i = start; i < start + emphasis.size(); ++i) {
        QTextCharFormat& f = formats[static_cast<size_t>(i)];
        f.setFont(bold, QTextCharFormat::FontPropertiesAll);
        f.setUnderlineStyle(QTextCharFormat::SingleUnderline);
        f.setUnderlineColor(shortcut);
        f.setForeground(shortcut);
    }
    // "From the second character" counts user-perceived characters.
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    const qsizetype second = graphemes.toNextBoundary();
    for (qsizetype i = std::max<qsizetype>(second, 0); i < text.size(); ++i) {
        formats[static_cast<size_t>(i)].setForeground(otherText);
    }

    for (qsizetype i = 0; i < text.size();) {
        qsizetype end = i + 1;
        while (end < text.size() &&
               formats[static_cast<size_t>(end)] == formats[static_cast<size_t>(i)]) {
            ++end;
        }
        if (formats[static_cast<size_t>(i)] != QTextCharFormat()) {
            result.runs.append(
                {static_cast<int>(i), static_cast<int>(end - i), formats[static_cast<size_t>(i)]});
        }
        i = end;
    }
    return result;
}
