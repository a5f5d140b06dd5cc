#include "ui/NamedColors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

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

namespace {

// WCAG 2's contrast ratio of two opaque colours.
double contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto linear = [](double v) {
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const auto [dark, light] = std::minmax(luminance(a), luminance(b));
    return (light + 0.05) / (dark + 0.05);
}

} // namespace

// Every colour a text is drawn in reads at WCAG AA (4.5:1) on the panel's background, and
// the background colour does on the destructive fill of a chosen menu item.
TEST(NamedColors, EveryTextMeetsAaContrastInBothAppearances) {
    for (const auto scheme : {Appearance::Scheme::Light, Appearance::Scheme::Dark}) {
        const QColor bg = *NamedColors::color("bg", scheme);
        for (const char* name : {"task", "tutorial", "hint", "nothing", "systemMessage", "taskDone",
                                 "taskSnoozed", "shortcut", "otherText", "destructive"}) {
            EXPECT_GE(contrast(*NamedColors::color(name, scheme), bg), 4.5)
                << name << (scheme == Appearance::Scheme::Dark ? " dark" : " light");
        }
    }
}
