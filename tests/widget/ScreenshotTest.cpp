// The panel's colours in both appearances, with pictures kept in the build folder for review.
// (The other windows, darker in the dark: the e2e looks.)
#include "PanelFixture.h"
#include "panel/HighlightView.h"
#include "ui/Appearance.h"
#include "ui/Extensions.h"
#include "ui/NamedColors.h"

#include <ranges>

// At the first start: "Hint:" is drawn in the hint colour somewhere on the text line.
TEST_F(PanelTest, NamedColoursFollowTheAppearance) {
    start();
    auto* bg = vc().findChild<QWidget*>("bgView");
    const QPoint inside(window().width() / 2, 4);
    for (const auto scheme : {Appearance::Scheme::Light, Appearance::Scheme::Dark}) {
        const bool dark = scheme == Appearance::Scheme::Dark;
        Appearance::shared().setPortalScheme(scheme);
        const QImage image = screenshot(
            window(), SCREENSHOT_DIR + QString(dark ? "/panel-dark.png" : "/panel-light.png"));
        EXPECT_EQ(image.pixelColor(inside), NamedColors::color("bg", scheme));
        // Rounded corners: the window's very corner is left transparent.
        EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
        EXPECT_EQ(image.pixelColor(image.width() - 1, image.height() - 1).alpha(), 0);
        EXPECT_EQ(taskText()->textColor(), NamedColors::color("tutorial", scheme));
        const QImage line = taskText()->grab().toImage();
        const auto hinted = [&](int at) {
            return line.pixelColor(at % line.width(), at / line.width()) ==
                   NamedColors::color("hint", scheme);
        };
        EXPECT_TRUE(std::ranges::any_of(std::views::iota(0, line.width() * line.height()), hinted));
        EXPECT_EQ(ViewStyle::borderColor(highlight()), NamedColors::color("hint", scheme));
    }
    EXPECT_EQ(highlight()->findChildren<ViewLayer*>().size(), 1) << "restyled, never stacked";
    vc().addAction(button("addButton"));
    // With the frame over Add faded in.
    const auto* frame = static_cast<HighlightView*>(highlight());
    ASSERT_TRUE(QTest::qWaitFor([frame] { return frame->opacity() == 1; }, 10000));
    screenshot(window(), SCREENSHOT_DIR "/panel-dark-adding.png");
    const auto light = NamedColors::color("bg", Appearance::Scheme::Light);
    const auto dark = NamedColors::color("bg", Appearance::Scheme::Dark);
    Appearance::shared().setPortalScheme(std::nullopt);
    EXPECT_EQ(ViewLayer::of(bg)->backgroundColor(), light);

    // Without a portal preference, a dark application palette means dark.
    const QPalette original = QApplication::palette();
    QPalette darkPalette = original;
    darkPalette.setColor(QPalette::Window, QColor(30, 30, 30));
    darkPalette.setColor(QPalette::WindowText, QColor(230, 230, 230));
    QApplication::setPalette(darkPalette);
    EXPECT_TRUE(Appearance::shared().isDark());
    EXPECT_EQ(ViewLayer::of(bg)->backgroundColor(), dark);
    QApplication::setPalette(original);
    EXPECT_FALSE(Appearance::shared().isDark());
    EXPECT_EQ(ViewLayer::of(bg)->backgroundColor(), light);
}
