// Which platform the panel asks Qt for, and which mode a run reports.
#include "platform/SessionMode.h"

#include <gtest/gtest.h>

struct PlatformCase {
    SessionEnvironment session;
    bool xDisplayOpens;
    std::optional<QByteArray> platform;
};

class PreferredPlatform : public testing::TestWithParam<PlatformCase> {};

TEST_P(PreferredPlatform, IsXWaylandInAWaylandSessionUnlessTheUserChose) {
    EXPECT_EQ(preferredPlatform(GetParam().session, GetParam().xDisplayOpens), GetParam().platform);
}

INSTANTIATE_TEST_SUITE_P(
    , PreferredPlatform,
    testing::Values(PlatformCase{{"x11", "", ""}, true, std::nullopt},
                    PlatformCase{{"", "wayland-0", ""}, true, "xcb"},
                    PlatformCase{{"wayland", "", ""}, true, "xcb"},
                    PlatformCase{{"wayland", "wayland-0", ""}, false, "wayland"},
                    PlatformCase{{"wayland", "wayland-0", "wayland"}, true, std::nullopt}));

struct ModeCase {
    SessionEnvironment session;
    QString platformName;
    std::optional<SessionMode> mode;
};

class RunMode : public testing::TestWithParam<ModeCase> {};

TEST_P(RunMode, FollowsTheSessionAndTheStartedPlatform) {
    EXPECT_EQ(sessionMode(GetParam().session, GetParam().platformName), GetParam().mode);
}

INSTANTIATE_TEST_SUITE_P(
    , RunMode,
    testing::Values(ModeCase{{"x11", "", ""}, "xcb", SessionMode::X11},
                    ModeCase{{"", "wayland-0", ""}, "xcb", SessionMode::XWayland},
                    ModeCase{{"wayland", "wayland-0", ""}, "wayland", SessionMode::Wayland},
                    ModeCase{{"wayland", "wayland-0", ""}, "offscreen", std::nullopt}));
