// Pictures of the panel in both appearances, kept in the build folder for review.
#include "PanelFixture.h"
#include "support/Appearance.h"
#include "support/NamedColors.h"

#include <QDir>
#include <QImage>

namespace {

QImage shoot(PBWindow& window, const QString& name) {
    QCoreApplication::processEvents();
    QTest::qWait(50);
    const QImage image = window.grab().toImage();
    QDir().mkpath(QStringLiteral(SCREENSHOT_DIR));
    EXPECT_TRUE(image.save(QStringLiteral(SCREENSHOT_DIR "/") + name));
    return image;
}

} // namespace

TEST_F(PanelTest, ScreenshotsInLightAndDark) {
    DBManager::saveTaskList({makeTask("Write the quarterly report for the board", 1)});
    start();
    const QPoint inside(window().width() / 2, 4);

    Appearance::shared().setPortalScheme(Appearance::Scheme::Light);
    const QImage light = shoot(window(), "panel-light.png");
    Appearance::shared().setPortalScheme(Appearance::Scheme::Dark);
    const QImage dark = shoot(window(), "panel-dark.png");
    vc().addAction(button("addButton"));
    shoot(window(), "panel-dark-adding.png");
    Appearance::shared().setPortalScheme(std::nullopt);

    EXPECT_EQ(light.pixelColor(inside), NamedColors::color("bg", Appearance::Scheme::Light));
    EXPECT_EQ(dark.pixelColor(inside), NamedColors::color("bg", Appearance::Scheme::Dark));
    // Rounded corners: the window's very corner is left transparent.
    EXPECT_EQ(light.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(dark.pixelColor(light.width() - 1, light.height() - 1).alpha(), 0);
}

TEST_F(PanelTest, ScreenshotOfTheFirstStart) {
    start();
    Appearance::shared().setPortalScheme(Appearance::Scheme::Light);
    const QImage image = shoot(window(), "panel-light-first-start.png");
    Appearance::shared().setPortalScheme(std::nullopt);
    // "Hint:" is drawn in the hint colour somewhere on the text line.
    const QColor hint = *NamedColors::color("hint", Appearance::Scheme::Light);
    const QRect line(taskText()->mapTo(&window(), QPoint()), taskText()->size());
    bool found = false;
    for (int x = line.left(); x <= line.right() && !found; ++x) {
        for (int y = line.top(); y <= line.bottom() && !found; ++y) {
            found = image.pixelColor(x, y) == hint;
        }
    }
    EXPECT_TRUE(found);
}
