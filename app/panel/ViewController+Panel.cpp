// The panel's looks and movement: the button highlight, dragging, navigation.
#include "panel/HighlightView.h"
#include "panel/PanelPosition.h"
#include "panel/ViewController.h"
#include "store/Models.h"
#include "support/Console.h"
#include "tasks/TaskBoard.h"
#include "ui/WindowRegistry.h"
#include "ui_ViewController.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

namespace {

const QUrl productSite(QStringLiteral("https://quenby.app/"));
constexpr double dragOpacity = 0.6;

} // namespace

void ViewController::placeHighlight(QAbstractButton* sender) {
    if (!sender) {
        return;
    }
    QRect frame(sender->parentWidget()->mapTo(this, sender->pos()), sender->size());
    frame.translate(1, 0);
    frame.setHeight(frame.height() - 2);
    if (sender == ui_->weekButton) {
        frame.setWidth(frame.width() - 2);
    }
    highlightView_->setGeometry(frame);
    highlightView_->raise();
}

void ViewController::highlightOn() {
    highlightView_->fadeIn();
}

void ViewController::highlightOff() {
    highlightView_->fadeOut();
}

void ViewController::highlightFlash() {
    highlightView_->flash();
}

void ViewController::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        lastPanPosition_ = event->globalPosition();
        pressOffset_ = mapTo(window(), event->position());
        pressed_ = true;
    }
    QWidget::mousePressEvent(event);
}

void ViewController::mouseMoveEvent(QMouseEvent* event) {
    if (pressed_ && (event->buttons() & Qt::LeftButton)) {
        if (!panning_) {
            viewPanned(Pan::Began, {});
        }
        const QPointF position = event->globalPosition();
        viewPanned(Pan::Changed, position - lastPanPosition_);
        lastPanPosition_ = position;
    }
    QWidget::mouseMoveEvent(event);
}

void ViewController::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressed_ = false;
        if (panning_) {
            viewPanned(Pan::Ended, {});
        }
    }
    QWidget::mouseReleaseEvent(event);
}

void ViewController::viewPanned(Pan state, QPointF translation) {
    QWidget* panel = window();
    switch (state) {
    case Pan::Began:
        panning_ = true;
        // Where the window really is, from the pointer: a reparenting window manager can
        // leave Qt with a stale idea of a frameless window's position.
        panStart_ = (lastPanPosition_ - pressOffset_).toPoint();
        panel->setWindowOpacity(dragOpacity);
        break;
    case Pan::Changed: {
        const int x = panStart_.x() + qRound(translation.x());
        int y = panStart_.y() + qRound(translation.y());
        // The panel may leave the screen sideways and downwards, but not over its top.
        if (y + panel->height() <= screenArea_.top()) {
            y = panStart_.y();
        }
        panStart_ = QPoint(x, y);
        panel->move(panStart_);
        break;
    }
    case Pan::Ended:
        panning_ = false;
        panel->setWindowOpacity(1.0);
        PanelPosition::save(panStart_);
        break;
    }
}

void ViewController::helpAction() {
    performSegue(QStringLiteral("help"));
}

void ViewController::allTasksAction() {
    performSegue(QStringLiteral("alltasks"));
}

void ViewController::settingsAction() {
    performSegue(QStringLiteral("settings"));
}

void ViewController::quenbyAction() {
    QDesktopServices::openUrl(productSite);
}

void ViewController::ctaAction() {
    const SystemMessage* message = board_.currentMessage();
    if (!message) {
        return;
    }
    const QUrl address(message->cta_url, QUrl::StrictMode);
    const QString scheme = address.scheme().toLower();
    // Only a web page: never a local file, a script or another application's scheme.
    if (!address.isValid() || (scheme != u"http" && scheme != u"https") ||
        address.host().isEmpty()) {
        Console::printLine("Call to action not opened:", message->cta_url);
        return;
    }
    QDesktopServices::openUrl(address);
}

void ViewController::performSegue(const QString& identifier) {
    if (!env_.windows) {
        Console::printLine(
            QStringLiteral("The \"%1\" window is not available yet").arg(identifier));
        return;
    }
    env_.windows->open(identifier);
}
