#pragma once

#include <QTimer>
#include <QWidget>

class QGraphicsOpacityEffect;
class QPropertyAnimation;

// The frame that flashes over a pressed button: a bordered overlay whose opacity fades in
// and out. It lets every press through to the controls beneath it.
class HighlightView : public QWidget {
    Q_OBJECT
public:
    static constexpr int fadeMs = 100;
    // The opacity is set to its end value a little before the fade ends, so the frame stays
    // as it should once the animation_ is over.
    static constexpr int settleMs = fadeMs - 20;

    explicit HighlightView(QWidget* parent = nullptr);

    double opacity() const;
    void fadeIn();
    void fadeOut();

private:
    void fade(double from, double to);

    QGraphicsOpacityEffect* effect_;
    QPropertyAnimation* animation_;
    QTimer settle_;
    double target_ = 0;
};
