#pragma once

#include <QLineEdit>

#include <optional>

// The panel's one line of text. In add mode it is an ordinary input line; otherwise it shows
// the current item, and may draw one run of its text in a colour of its own (the "Hint:" of
// a tutorial task). It never interprets its text as markup.
class TaskTextField : public QLineEdit {
    Q_OBJECT
public:
    struct Accent {
        int start = 0;
        int length = 0;
        QColor color;
    };

    explicit TaskTextField(QWidget* parent = nullptr);

    void setTextColor(const QColor& color);
    QColor textColor() const;

    // Drawn only while the field is not editable.
    void setAccent(std::optional<Accent> accent);
    const std::optional<Accent>& accent() const { return accentRun_; }

    // Whether the field takes the mouse and the keyboard focus at all. A field that does
    // not lets presses through to the panel, which is then dragged by its text too.
    void setSelectable(bool selectable);
    bool isSelectable() const;

    // While editable, the text stops at `limit` user-perceived characters, and the field
    // shows how many are left once fewer than `warnBelow` remain.
    void setCharacterLimit(qsizetype limit, qsizetype warnBelow);
    // What the field shows of the characters left; nothing while there are plenty.
    std::optional<qsizetype> charactersLeft() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void keepWithinLimit();
    void nameForAssistiveTechnology();

    std::optional<Accent> accentRun_;
    qsizetype limit_ = 0;
    qsizetype warnBelow_ = 0;
    qsizetype used_ = 0;
};
