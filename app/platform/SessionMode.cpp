#include "platform/SessionMode.h"

#include "platform/GraphicalSession.h"

SessionEnvironment SessionEnvironment::current() {
    return {qEnvironmentVariable("XDG_SESSION_TYPE"), qEnvironmentVariable("WAYLAND_DISPLAY"),
            qEnvironmentVariable("QT_QPA_PLATFORM")};
}

bool SessionEnvironment::isWayland() const {
    return !waylandDisplay.isEmpty() || sessionType == QLatin1String("wayland");
}

std::optional<QByteArray> preferredPlatform(const SessionEnvironment& session, bool xDisplayOpens) {
    if (!session.isWayland() || !session.qtPlatform.isEmpty()) {
        return std::nullopt;
    }
    return xDisplayOpens ? QByteArrayLiteral("xcb") : QByteArrayLiteral("wayland");
}

void choosePlatformForSession() {
    const SessionEnvironment session = SessionEnvironment::current();
    if (!preferredPlatform(session, true)) {
        return;
    }
    // The display check reads the platform: ask it about xcb.
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("QT_QPA_PLATFORM", *preferredPlatform(session, !missingGraphicalSession()));
}

std::optional<SessionMode> sessionMode(const SessionEnvironment& session,
                                       const QString& platformName) {
    if (platformName == QLatin1String("xcb")) {
        return session.isWayland() ? SessionMode::XWayland : SessionMode::X11;
    }
    if (platformName.startsWith(QLatin1String("wayland"))) {
        return SessionMode::Wayland;
    }
    return std::nullopt;
}

QString describe(SessionMode mode) {
    switch (mode) {
    case SessionMode::X11:
        return QStringLiteral("Session: X11");
    case SessionMode::XWayland:
        return QStringLiteral("Session: Wayland, the panel runs through XWayland");
    case SessionMode::Wayland:
        break;
    }
    return QStringLiteral("Session: Wayland without XWayland, the panel cannot stay above other "
                          "windows or keep its place");
}
