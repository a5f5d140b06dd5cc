// The panel's looks and movement: font fitting, the button highlight, dragging, navigation.
#include "panel/HighlightView.h"
#include "panel/PanelPosition.h"
#include "panel/ViewController.h"
#include "ui_ViewController.h"

#include <QDesktopServices>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QUrl>

#include <algorithm>

namespace {

const QUrl productSite(QStringLiteral("https://quenby.app/"));
constexpr double fittingMargin = 20;
constexpr double dragOpacity = 0.6;

} // namespace

double ViewController::fittedPointSize(double measuredWidth, double fieldWidth, double pointSize) {
    if (measuredWidth <= fieldWidth) {
        return pointSize;
    }
    return std::max(minimumFontSize, (fieldWidth - fittingMargin) / measuredWidth * pointSize);
}

void ViewController::adjustFontSizeToFitTextField() {
    const double width = QFontMetricsF(originalFont).horizontalAdvance(ui->taskText->text());
    QFont font = originalFont;
    font.setPointSizeF(fittedPointSize(width, maxSize.width(), originalFont.pointSizeF()));
    ui->taskText->setFont(font);
}

void ViewController::placeHighlight(QAbstractButton* sender) {
    if (!sender) {
        return;
    }
    QRect frame(sender->parentWidget()->mapTo(this, sender->pos()), sender->size());
    frame.translate(1, 0);
    frame.setHeight(frame.height() - 2);
    if (sender == ui->weekButton) {
        frame.setWidth(frame.width() - 2);
    }
    highlightView->setGeometry(frame);
    highlightView->raise();
}

void ViewController::highlightOn() {
    highlightView->fadeIn();
}

void ViewController::highlightOff() {
    highlightView->fadeOut();
}

void ViewController::highlightTimer() {
    QTimer::singleShot(highlightMs, this, &ViewController::highlightOff);
}

void ViewController::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        lastPanPosition = event->globalPosition();
        pressOffset = mapTo(window(), event->position());
        pressed = true;
    }
    QWidget::mousePressEvent(event);
}

void ViewController::mouseMoveEvent(QMouseEvent* event) {
    if (pressed && (event->buttons() & Qt::LeftButton)) {
        if (!panning) {
            viewPanned(Pan::Began, {});
        }
        const QPointF position = event->globalPosition();
        viewPanned(Pan::Changed, position - lastPanPosition);
        lastPanPosition = position;
    }
    QWidget::mouseMoveEvent(event);
}

void ViewController::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressed = false;
        if (panning) {
            viewPanned(Pan::Ended, {});
        }
    }
    QWidget::mouseReleaseEvent(event);
}

void ViewController::viewPanned(Pan state, QPointF translation) {
    QWidget* panel = window();
    switch (state) {
    case Pan::Began:
        panning = true;
        // Where the window really is, from the pointer: a reparenting window manager can
        // leave Qt with a stale idea of a frameless window's position.
        panStart = (lastPanPosition - pressOffset).toPoint();
        panel->setWindowOpacity(dragOpacity);
        break;
    case Pan::Changed: {
        const int x = panStart.x() + qRound(translation.x());
        int y = panStart.y() + qRound(translation.y());
        // The panel may leave the screen sideways and downwards, but not over its top.
        if (y + panel->height() <= screenArea.top()) {
            y = panStart.y();
        }
        panStart = QPoint(x, y);
        panel->move(panStart);
        break;
    }
    case Pan::Ended:
        panning = false;
        panel->setWindowOpacity(1.0);
        PanelPosition::save(panStart);
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
    if (!messageActive || !current) {
        return;
    }
    const QUrl address(messageList[*current].cta_url, QUrl::StrictMode);
    const QString scheme = address.scheme().toLower();
    if (address.isValid() && (scheme == u"http" || scheme == u"https") &&
        !address.host().isEmpty()) {
        QDesktopServices::openUrl(address);
    }
}

void ViewController::registerSegue(const QString& identifier, WindowFactory factory) {
    segues[identifier] = std::move(factory);
}

void ViewController::performSegue(const QString& identifier) {
    const auto it = segues.find(identifier);
    if (it == segues.end()) {
        return;
    }
    QWidget* presented = it->second(*this);
    if (!presented) {
        return;
    }
    presented->setAttribute(Qt::WA_DeleteOnClose);
    presentedWindows.removeAll(nullptr);
    presentedWindows.append(presented);
    presented->show();
}
