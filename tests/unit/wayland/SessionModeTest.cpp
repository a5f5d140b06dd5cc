// Which platform the panel asks Qt for, and which mode a run reports.
#include "platform/SessionMode.h"

#include <gtest/gtest.h>

// A short, readable name for the session in a failure.
void PrintTo(const SessionEnvironment& session, std::ostream* os) {
    *os << "type " << session.sessionType.toStdString() << " wayland "
        << session.waylandDisplay.toStdString() << " qt " << session.qtPlatform.toStdString();
}

// The platform is XWayland in a Wayland session unless the user chose; the mode follows the
// session and the platform started.
TEST(SessionMode, PlatformAndModeFollowTheSession) {
    const std::tuple<SessionEnvironment, bool, std::optional<QByteArray>> cases[] = {
        {{"x11", "", ""}, true, std::nullopt},
        {{"", "wayland-0", ""}, true, "xcb"},
        {{"wayland", "", ""}, true, "xcb"},
        {{"wayland", "wayland-0", ""}, false, "wayland"},
        {{"wayland", "wayland-0", "wayland"}, true, std::nullopt}};
    for (const auto& [session, xDisplayOpens, platform] : cases) {
        EXPECT_EQ(preferredPlatform(session, xDisplayOpens), platform)
            << testing::PrintToString(session) << (xDisplayOpens ? " with X" : " without X");
    }

    const std::tuple<SessionEnvironment, QString, std::optional<SessionMode>> modes[] = {
        {{"x11", "", ""}, "xcb", SessionMode::X11},
        {{"", "wayland-0", ""}, "xcb", SessionMode::XWayland},
        {{"wayland", "wayland-0", ""}, "wayland", SessionMode::Wayland},
        {{"wayland", "wayland-0", ""}, "offscreen", std::nullopt}};
    for (const auto& [session, platformName, mode] : modes) {
        EXPECT_EQ(sessionMode(session, platformName), mode)
            << testing::PrintToString(session) << " on " << platformName.toStdString();
    }
}
