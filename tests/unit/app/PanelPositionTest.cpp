#include "panel/PanelPosition.h"

#include "store/PreferenceStore.h"
#include "tests/support/TempConfigHome.h"

#include <gtest/gtest.h>

// (Saved under panelOrigin when a drag ends: the panel's drag test.) Read back as saved, also
// off the screen's edges; anything else stored there is ignored.
TEST(PanelPosition, OnlyTwoCoordinatesAreAStoredPosition) {
    TempConfigHome home;
    EXPECT_FALSE(PanelPosition::stored());
    PanelPosition::save(QPoint(-40, 1200));
    EXPECT_EQ(PanelPosition::stored(), QPoint(-40, 1200));
    ASSERT_TRUE(PreferenceStore::standard().setIntegers("panelOrigin", {1, 2, 3}));
    EXPECT_FALSE(PanelPosition::stored());
    ASSERT_TRUE(PreferenceStore::standard().setIntegers("panelOrigin", {5'000'000'000, 2}));
    EXPECT_FALSE(PanelPosition::stored());
}

TEST(PanelPosition, KeptWhollyOnAScreenAndByDefaultCentredNearTheTop) {
    const QSize panel(200, 100);
    const QList<QRect> areas{QRect(0, 30, 1920, 1050), QRect(1920, 0, 1280, 1024)};
    // On a screen: unchanged, also on the second one.
    EXPECT_EQ(PanelPosition::keptOnScreen({100, 200}, panel, areas), QPoint(100, 200));
    EXPECT_EQ(PanelPosition::keptOnScreen({2000, 900}, panel, areas), QPoint(2000, 900));
    // Across the edge between the screens: into the one it overlaps most.
    EXPECT_EQ(PanelPosition::keptOnScreen({1850, 500}, panel, areas), QPoint(1920, 500));
    EXPECT_EQ(PanelPosition::keptOnScreen({1780, 500}, panel, areas), QPoint(1720, 500));
    // Under the top bar and off the bottom.
    EXPECT_EQ(PanelPosition::keptOnScreen({10, 0}, panel, areas), QPoint(10, 30));
    EXPECT_EQ(PanelPosition::keptOnScreen({10, 1050}, panel, areas), QPoint(10, 980));
    // Nowhere near a screen (a monitor was unplugged): onto the first.
    EXPECT_EQ(PanelPosition::keptOnScreen({-5000, 3000}, panel, areas), QPoint(0, 980));
    // No screens known: left as it is.
    EXPECT_EQ(PanelPosition::keptOnScreen({-5000, 3000}, panel, {}), QPoint(-5000, 3000));

    // By default: centred near the top.
    EXPECT_EQ(PanelPosition::defaultOrigin({200, 100}, QRect(0, 30, 1000, 800)), QPoint(400, 78));
    // A short screen: as high as fits.
    EXPECT_EQ(PanelPosition::defaultOrigin({200, 100}, QRect(0, 0, 400, 120)), QPoint(100, 20));
}
