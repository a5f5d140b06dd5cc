#pragma once

#include "ui/Extensions.h"

#include <QPushButton>

#include <optional>

// A push button whose title can carry character formats (a bold, underlined, coloured
// shortcut letter). Its plain text stays the title's string, for accessibility and size.
class TitleButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

    void setAttributedTitle(const AttributedString& title);
    const std::optional<AttributedString>& attributedTitle() const { return attributed_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The title laid out on one line in the button's font, formats applied.
    void layOut(QTextLayout& layout) const;
    // The width of the title's leading spaces, which a flat title does not show.
    int leadingSpace() const;

    std::optional<AttributedString> attributed_;
};
