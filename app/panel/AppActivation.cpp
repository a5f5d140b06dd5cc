#include "panel/AppActivation.h"

#include "platform/Platform.h"

#include <QApplication>

AppActivation::AppActivation(QWidget& panel, std::shared_ptr<FocusService> focus)
    : panel_(panel)
    , focus_(std::move(focus)) {}

void AppActivation::hide() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible()) {
            hiddenWindows_.append(w);
            w->hide();
        }
    }
    hidden_ = true;
}

void AppActivation::activate(Mode mode) {
    if (hidden_) {
        hidden_ = false;
        for (const QPointer<QWidget>& w : std::as_const(hiddenWindows_)) {
            if (w) {
                w->show();
            }
        }
        hiddenWindows_.clear();
    }
    QWidget* panel = panel_.window();
    panel->show();
    panel->raise();
    if (mode == Mode::TakeFocus) {
        Platform::current().passActivationToken(panel->winId());
        panel->activateWindow();
    }
}

void AppActivation::rememberPrevious() {
    previous_ = focus_->activeWindow();
}

void AppActivation::revertToPrevious() {
    if (previous_) {
        focus_->activate(*previous_);
        previous_.reset();
    }
}

void AppActivation::showAgainKeepingFocus() {
    activate(Mode::LeaveFocus);
    revertToPrevious();
}

QWidget* AppActivation::blockingModal() const {
    const QWidget* panel = panel_.window();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w == panel || !w->isVisible() || !w->isModal()) {
            continue;
        }
        if (w->windowModality() == Qt::ApplicationModal) {
            return w;
        }
        // A window-modal one holds the windows it belongs to.
        for (const QWidget* p = w->parentWidget(); p; p = p->window()->parentWidget()) {
            if (p->window() == panel) {
                return w;
            }
        }
    }
    return nullptr;
}
