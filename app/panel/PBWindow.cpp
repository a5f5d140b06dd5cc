#include "panel/PBWindow.h"

#include "panel/PanelPosition.h"
#include "platform/Platform.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

namespace {

QList<QRect> screenAreas() {
    QList<QRect> areas;
    if (const QScreen* primary = QGuiApplication::primaryScreen()) {
        areas.append(primary->availableGeometry());
    }
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen()) {
            areas.append(screen->availableGeometry());
        }
    }
    return areas;
}

} // namespace

PBWindow::PBWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    // Both must be set before the native window exists.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowTitle(QStringLiteral("Quenby"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watchScreen(screen);
        keepOnScreen();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &PBWindow::keepOnScreen);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, &PBWindow::keepOnScreen);
    for (QScreen* screen : QGuiApplication::screens()) {
        watchScreen(screen);
    }
}

void PBWindow::watchScreen(QScreen* screen) {
    connect(screen, &QScreen::availableGeometryChanged, this, &PBWindow::keepOnScreen);
}

void PBWindow::setContentView(QWidget* view) {
    delete content_;
    content_ = view;
    layout()->addWidget(view);
}

void PBWindow::roundCorners(double radius) {
    cornerRadius_ = radius;
    updateMask();
}

void PBWindow::updateMask() {
    if (cornerRadius_ <= 0 || !Platform::current().needsCornerMask()) {
        clearMask();
        return;
    }
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), cornerRadius_, cornerRadius_);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
}

void PBWindow::restorePosition() {
    adjustSize();
    const QList<QRect> areas = screenAreas();
    if (areas.isEmpty()) {
        return;
    }
    const auto stored = PanelPosition::stored();
    const QPoint origin = stored ? *stored : PanelPosition::defaultOrigin(size(), areas.front());
    move(PanelPosition::keptOnScreen(origin, size(), areas));
}

void PBWindow::keepOnScreen() {
    move(PanelPosition::keptOnScreen(pos(), size(), screenAreas()));
}

void PBWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The native window exists and is not mapped yet: the window manager reads the group
    // when it maps the panel.
    Platform::current().leaveWindowGroup(winId());
    positionUnchecked_ = true;
}

void PBWindow::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (!mask().isEmpty() && content_) {
        // Without a compositor the window's translucent pixels show black: under the mask
        // every pixel is opaque, so the content's smoothed corner edge blends into its own
        // colour instead of a dark fringe.
        QPainter(this).fillRect(rect(), content_->palette().color(QPalette::Window));
    }
    if (std::exchange(positionUnchecked_, false)) {
        QTimer::singleShot(0, this, &PBWindow::syncPositionWithServer);
    }
    if (!std::exchange(everPainted_, true)) {
        QTimer::singleShot(0, this, &PBWindow::presented);
    }
}

// A reparenting window manager can leave Qt believing a frameless window sits at the
// origin of its frame. By the first paint the server knows better; moving the window to
// where it already is sets Qt right, so dialogs centre on it and drags start from it.
void PBWindow::syncPositionWithServer() {
    const auto native = Platform::current().windowOrigin(winId());
    if (!native) {
        return;
    }
    // The server counts device pixels, Qt places windows in logical ones: with a scale
    // factor they differ, scaled about the screen's origin.
    const QPointF screenOrigin = screen() ? QPointF(screen()->geometry().topLeft()) : QPointF();
    const QPoint origin =
        ((QPointF(*native) - screenOrigin) / devicePixelRatioF() + screenOrigin).toPoint();
    if (origin != pos()) {
        move(origin);
    }
    keepOnScreen();
}

void PBWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updateMask();
}

void PBWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    emit closeRequested();
}
