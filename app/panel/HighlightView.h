#pragma once

#include <QWidget>

#include <initializer_list>
#include <utility>

class QGraphicsOpacityEffect;
class QPropertyAnimation;

// The frame that flashes over a pressed button: a bordered overlay whose opacity fades in
// and out. It lets every press through to the controls beneath it. One animation drives every
// fade, so a new one always replaces what an earlier one had still to do.
class HighlightView : public QWidget {
    Q_OBJECT
public:
    static constexpr int fadeMs = 100;
    // A flash starts to fade out this long after it began.
    static constexpr int flashMs = 300;

    explicit HighlightView(QWidget* parent = nullptr);

    double opacity() const;
    // In, and it stays until fadeOut.
    void fadeIn();
    void fadeOut();
    // In, then out again by itself.
    void flash();

private:
    // From the present opacity through `keys` (progress 0..1 to opacity) over `ms`.
    void animate(int ms, std::initializer_list<std::pair<double, double>> keys);

    QGraphicsOpacityEffect* effect_;
    QPropertyAnimation* animation_;
};
