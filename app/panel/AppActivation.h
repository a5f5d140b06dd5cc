#pragma once

#include "platform/Focus.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>

// The application as a whole, seen from its panel: hiding every window and showing them
// again, taking the keyboard, and handing it back to the window the user was in.
class AppActivation {
public:
    // `panel` is the panel's window; it must outlive this.
    AppActivation(QWidget& panel, std::shared_ptr<FocusService> focus);

    enum class Mode { TakeFocus, LeaveFocus };
    void hide();
    // Shows every window hidden before and brings the panel forward; `TakeFocus` also gives
    // it the keyboard.
    void activate(Mode mode);
    bool isHidden() const { return hidden_; }

    // The window the user is in, to hand the keyboard back to after a shortcut.
    void rememberPrevious();
    void revertToPrevious();
    // Shows the application again and hands the keyboard straight back.
    void showAgainKeepingFocus();
    // The application's modal window that keeps the keyboard from the panel, if any.
    QWidget* blockingModal() const;

private:
    QWidget& panel_;
    std::shared_ptr<FocusService> focus_;
    std::optional<FocusService::WindowId> previous_;
    bool hidden_ = false;
    QList<QPointer<QWidget>> hiddenWindows_;
};
