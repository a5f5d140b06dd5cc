// The panel window class and the view styling properties.
#include "panel/PBWindow.h"
#include "tests/support/TempConfigHome.h"
#include "ui/Extensions.h"

#include <QApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

// A layer is made only for a view that is styled, and paints only what is set.
TEST(ViewStyle, LayoutResourcePropertiesAreAppliedAndPaintedOnlyWhenSet) {
    QWidget root;
    root.resize(40, 30);
    root.setAttribute(Qt::WA_TranslucentBackground);
    auto* child = new QWidget(&root);
    root.setProperty("cornerRadius", 10.0);
    child->setProperty("borderWidth", 3.0);
    child->setProperty("borderColor", QColor(Qt::green));
    auto* plain = new QWidget(&root);
    ViewStyle::applyDesignedStyle(&root);
    EXPECT_EQ(std::tuple(ViewStyle::cornerRadius(&root), ViewStyle::borderWidth(child),
                         ViewStyle::borderColor(child), ViewLayer::of(plain)),
              std::tuple(10, 3, std::optional(QColor(Qt::green)), nullptr));
    delete child; // the root's own picture from here on
    QImage image = root.grab().toImage();
    EXPECT_EQ(image.pixelColor(20, 15).alpha(), 0);

    ViewLayer& layer = *ViewLayer::of(&root);
    layer.setBackgroundColor(QColor(Qt::red));
    layer.setBorderWidth(4);
    layer.setBorderColor(QColor(Qt::blue));
    image = root.grab().toImage();
    // The rounded corner leaves the very corner empty.
    EXPECT_EQ(std::tuple(image.pixelColor(20, 15), image.pixelColor(20, 1),
                         image.pixelColor(0, 0).alpha()),
              std::tuple(QColor(Qt::red), QColor(Qt::blue), 0));
}

// (Placed from the store: the e2e placement at every scale; the window manager's close: the
// delegate's tests.)
TEST(PBWindow, FloatsFramelessShowsWithoutTakingTheFocusAndStaysOnScreen) {
    const TempConfigHome home;
    PBWindow window;
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_EQ(std::tuple(flags.testFlag(Qt::FramelessWindowHint),
                         flags.testFlag(Qt::WindowStaysOnTopHint), flags & Qt::WindowType_Mask,
                         flags.testFlag(Qt::WindowDoesNotAcceptFocus),
                         window.testAttribute(Qt::WA_ShowWithoutActivating),
                         window.testAttribute(Qt::WA_TranslucentBackground)),
              std::tuple(true, true, Qt::WindowFlags(Qt::Tool), false, true, true));

    auto* content = new QWidget;
    content->setFixedSize(200, 80);
    window.setContentView(content);
    EXPECT_EQ(window.contentView(), content);
    QSignalSpy presented(&window, &PBWindow::presented);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.size(), QSize(200, 80));
    // Told once, after the first frame.
    EXPECT_TRUE(presented.wait(10000));
    window.hide();
    window.show();
    QTest::qWait(50);
    EXPECT_EQ(presented.count(), 1);

    // Left off the screen, as a screen change can leave it: brought back wholly onto it.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    window.move(-300, area.bottom() + 100);
    window.keepOnScreen();
    EXPECT_EQ(window.pos(), QPoint(area.left(), area.bottom() + 1 - 80));
}
