#include "ui/NamedColors.h"

#include <gtest/gtest.h>

TEST(NamedColors, EveryNameHasALightAndADarkValue) {
    for (const char* name : {"bg", "task", "tutorial", "hint", "nothing", "systemMessage",
                             "taskDone", "taskSnoozed", "shortcut", "otherText"}) {
        const auto light = NamedColors::color(name, Appearance::Scheme::Light);
        const auto dark = NamedColors::color(name, Appearance::Scheme::Dark);
        ASSERT_TRUE(light && dark) << name;
        EXPECT_TRUE(light->isValid() && dark->isValid()) << name;
        EXPECT_NE(*light, *dark) << name;
    }
    EXPECT_FALSE(NamedColors::color("noSuchColour", Appearance::Scheme::Light));
}

TEST(NamedColors, TextStandsOutFromTheBackgroundInBothAppearances) {
    for (const auto scheme : {Appearance::Scheme::Light, Appearance::Scheme::Dark}) {
        const int bg = NamedColors::color("bg", scheme)->lightness();
        for (const char* name : {"task", "tutorial", "hint", "systemMessage"}) {
            EXPECT_GT(std::abs(NamedColors::color(name, scheme)->lightness() - bg), 80) << name;
        }
    }
}
