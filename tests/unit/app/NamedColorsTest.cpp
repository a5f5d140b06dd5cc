#include "ui/NamedColors.h"

#include "tests/support/Contrast.h"

#include <gtest/gtest.h>

#include <string_view>

// Every colour a text is drawn in has a light and a dark value, each reading at WCAG AA
// (4.5:1) on the panel's background in its appearance; the background colour does on the
// destructive fill of a chosen menu item.
TEST(NamedColors, EveryTextHasALightAndADarkValueMeetingAaContrast) {
    using enum Appearance::Scheme;
    const auto bg = [](Appearance::Scheme scheme) { return *NamedColors::color("bg", scheme); };
    for (const char* name : {"task", "tutorial", "hint", "nothing", "systemMessage", "taskDone",
                             "taskSnoozed", "shortcut", "otherText", "destructive"}) {
        const auto light = NamedColors::color(name, Light);
        const auto dark = NamedColors::color(name, Dark);
        ASSERT_TRUE(light && dark && light->isValid() && dark->isValid()) << name;
        EXPECT_TRUE(std::string_view(name) == "destructive" || *light != *dark) << name;
        EXPECT_GE(contrastRatio(*light, bg(Light)), 4.5) << name << " light";
        EXPECT_GE(contrastRatio(*dark, bg(Dark)), 4.5) << name << " dark";
    }
    EXPECT_NE(bg(Light), bg(Dark));
    EXPECT_FALSE(NamedColors::color("noSuchColour", Light));
}
