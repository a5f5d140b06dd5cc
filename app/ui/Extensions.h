#pragma once

#include <QColor>
#include <QList>
#include <QObject>
#include <QString>
#include <QTextCharFormat>
#include <QTextLayout>

#include <optional>

class QPainter;
class QWidget;

// What a view draws beneath its own content: a background, rounded corners and a border.
// A view gets one when it is first styled ("layer-backed"); plain container views and
// overlays need nothing else to be drawn.
class ViewLayer : public QObject {
    Q_OBJECT
public:
    // The view's layer, or nullptr when the view has none.
    static ViewLayer* of(const QWidget* view);
    // The view's layer, made when the view has none yet.
    static ViewLayer& ensure(QWidget* view);

    double cornerRadius() const { return radius_; }
    double borderWidth() const { return width_; }
    const std::optional<QColor>& borderColor() const { return border_; }
    const std::optional<QColor>& backgroundColor() const { return background_; }

    void setCornerRadius(double value);
    void setBorderWidth(double value);
    void setBorderColor(std::optional<QColor> value);
    void setBackgroundColor(std::optional<QColor> value);

    void paint(QPainter& painter) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit ViewLayer(QWidget* view);
    QWidget* view() const;

    double radius_ = 0;
    double width_ = 0;
    std::optional<QColor> border_;
    std::optional<QColor> background_;
};

// The styling properties every view has; each lives in the view's layer. Reading a view
// without a layer gives 0 or nothing.
namespace ViewStyle {

double cornerRadius(const QWidget* view);
void setCornerRadius(QWidget* view, double radius);
double borderWidth(const QWidget* view);
void setBorderWidth(QWidget* view, double width);
std::optional<QColor> borderColor(const QWidget* view);
void setBorderColor(QWidget* view, std::optional<QColor> color);

// Applies the properties that the layout resources set on their views as dynamic properties
// "cornerRadius", "borderWidth" and "borderColor", on `root` and every view inside it.
void applyDesignedStyle(QWidget* root);

} // namespace ViewStyle

// A text with character formats over ranges of it, as a button title needs.
struct AttributedString {
    QString string;
    // Ascending and non-overlapping.
    QList<QTextLayout::FormatRange> runs;

    // The format of the UTF-16 unit at `index`; an empty format where no run covers it.
    QTextCharFormat formatAt(qsizetype index) const;
};

// `text` with its first occurrence of `emphasis` bold (11 points), underlined and in the
// colour "shortcut"; every character after the first takes the colour "otherText". Without
// the emphasis in the text, the text is returned unstyled.
AttributedString getAttributedBoldText(const QString& text, const QString& emphasis);
