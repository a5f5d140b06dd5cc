#include "platform/GraphicalSession.h"

#include <xcb/xcb.h>

std::optional<QString> missingGraphicalSession() {
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    // Another platform chosen by the user (offscreen, wayland, …) answers for itself.
    if (!platform.isEmpty() && !platform.startsWith(QLatin1String("xcb"))) {
        return std::nullopt;
    }
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty()) {
        return QStringLiteral("no X display (DISPLAY is not set)");
    }
    xcb_connection_t* connection = xcb_connect(display.constData(), nullptr);
    const bool failed = xcb_connection_has_error(connection) != 0;
    xcb_disconnect(connection);
    if (failed) {
        return QStringLiteral("cannot open the X display %1").arg(QString::fromLocal8Bit(display));
    }
    return std::nullopt;
}
