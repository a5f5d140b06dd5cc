// The real binary's panel on a private X display with a window manager, at each scale factor.
#include "QuenbyE2E.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

// On a 1280×800 screen at each scale factor: centred at the first start, never off the screen,
// and found where it was left after a restart.
class ScaledPanelE2E : public ShortcutsE2E, public testing::WithParamInterface<const char*> {};

TEST_P(ScaledPanelE2E, IsPlacedInLogicalPixelsAndKeptOnScreen) {
    const QString scale = QString::fromLatin1(GetParam());
    const double factor = scale.toDouble();
    const QRect screen(0, 0, 1280, 800);
    quenby = std::make_unique<Quenby>(config.path(), QString(), scale);
    ASSERT_TRUE(quenby->waitForLine("viewDidAppear"));
    QRect panel;
    ASSERT_TRUE(E2E::waitUntil([&] { return (panel = quenby->panelGeometry()).width() > 0; }));
    // Centred in logical pixels, or at the left edge when wider than the screen.
    const double logicalLeft = std::max(0.0, (1280 / factor - panel.width() / factor) / 2);
    EXPECT_NEAR(panel.x(), logicalLeft * factor, factor + 1) << "panel " << panel.x();
    EXPECT_GE(panel.y(), 0);
    QDir().mkpath(QStringLiteral(SCREENSHOT_DIR));
    QGuiApplication::primaryScreen()
        ->grabWindow(quenby->panelWindow().toULongLong())
        .save(QStringLiteral(SCREENSHOT_DIR "/panel-scale-%1.png").arg(scale));

    // A place left far off the screen comes back onto it; a place on it is kept exactly.
    for (const QPoint stored : {QPoint(5000, 5000), QPoint(20, 30)}) {
        quenby.reset();
        ASSERT_TRUE(writeFile(config.path() + "/Quenby/panelOrigin.ints",
                              '[' + QByteArray::number(stored.x()) + ',' +
                                  QByteArray::number(stored.y()) + ']'));
        quenby = std::make_unique<Quenby>(config.path(), QString(), scale);
        ASSERT_TRUE(quenby->waitForLine("viewDidAppear"));
        // Exactly there, unless the panel is wider than the screen at this scale.
        const auto kept = [&] {
            return stored.x() > 1000 ||
                   (std::abs(panel.x() -
                             (panel.width() <= screen.width() ? stored.x() * factor : 0)) <= 2 &&
                    std::abs(panel.y() - stored.y() * factor) <= 2);
        };
        EXPECT_TRUE(E2E::waitUntil([&] {
            panel = quenby->panelGeometry();
            return panel.width() > 0 && screen.contains(panel.topLeft()) && kept();
        })) << panel.x()
            << "," << panel.y() << " at scale " << scale.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Factors, ScaledPanelE2E, testing::Values("1", "1.5", "2"), [](const auto& param) {
        return QString::fromLatin1(param.param).replace('.', '_').toStdString();
    });
