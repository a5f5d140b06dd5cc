#pragma once

#include <QWidget>

// The floating panel's window: frameless, above ordinary windows, out of the task bar, and
// still able to take the keyboard for the input line. It is shown without taking the focus;
// whoever needs the keyboard activates it.
class PBWindow : public QWidget {
    Q_OBJECT
public:
    explicit PBWindow(QWidget* parent = nullptr);

    // The view that fills the window.
    void setContentView(QWidget* view);
    QWidget* contentView() const { return content_; }

    // Rounded corners: the translucent window shows them where a compositor draws it;
    // without one the corners are cut off with a mask, or they would show black.
    void roundCorners(double radius);

    // The position the user left the panel at, kept on a screen; centred near the top of
    // the primary screen the first time.
    void restorePosition();
    // Moves the panel back onto a screen if it is not wholly on one.
    void keepOnScreen();

signals:
    // The window manager asked to close the panel (it has no close button of its own).
    void closeRequested();
    // The panel has painted its first frame.
    void presented();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void updateMask();
    void syncPositionWithServer();
    void watchScreen(QScreen* screen);

    QWidget* content_ = nullptr;
    double cornerRadius_ = 0;
    bool positionUnchecked_ = false;
    bool everPainted_ = false;
};
