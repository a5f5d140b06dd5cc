#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// How the panel meets the desktop. On Wayland a native window can neither stay above
// others nor be placed, so the panel goes through XWayland wherever there is one.
enum class SessionMode { X11, XWayland, Wayland };

// What the environment says about the session.
struct SessionEnvironment {
    QString sessionType;    // XDG_SESSION_TYPE
    QString waylandDisplay; // WAYLAND_DISPLAY
    QString qtPlatform;     // QT_QPA_PLATFORM, the user's own choice

    static SessionEnvironment current();
    bool isWayland() const;
};

// The Qt platform to start with: xcb in a Wayland session with a working X display, else
// wayland; nothing outside Wayland or when the user chose a platform.
std::optional<QByteArray> preferredPlatform(const SessionEnvironment& session, bool xDisplayOpens);

// Sets QT_QPA_PLATFORM to the preferred platform, before Qt starts.
void choosePlatformForSession();

// The mode of a run on `platformName` (Qt's); nothing for a platform without a desktop
// (offscreen, minimal).
std::optional<SessionMode> sessionMode(const SessionEnvironment& session,
                                       const QString& platformName);

// The line that says which mode was chosen.
QString describe(SessionMode mode);
