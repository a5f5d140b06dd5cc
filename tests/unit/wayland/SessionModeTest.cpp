// Which platform the panel asks Qt for, and which mode a run reports.
#include "platform/SessionMode.h"

#include <gtest/gtest.h>

// A short, stable name for the session (CTest puts the printed parameter in the test name).
void PrintTo(const SessionEnvironment& session, std::ostream* os) {
    *os << "type " << session.sessionType.toStdString() << " wayland "
        << session.waylandDisplay.toStdString() << " qt " << session.qtPlatform.toStdString();
}

struct PlatformCase {
    SessionEnvironment session;
    bool xDisplayOpens;
    std::optional<QByteArray> platform;
};

void PrintTo(const PlatformCase& c, std::ostream* os) {
    PrintTo(c.session, os);
    *os << (c.xDisplayOpens ? " with X" : " without X");
}

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

void PrintTo(const ModeCase& c, std::ostream* os) {
    PrintTo(c.session, os);
    *os << " on " << c.platformName.toStdString();
}

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
