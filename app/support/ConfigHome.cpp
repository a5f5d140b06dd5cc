#include "support/ConfigHome.h"

#include <QDir>

QString configHome() {
    const QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    // A relative value is invalid and must be ignored.
    if (base.isEmpty() || QDir::isRelativePath(base)) {
        return QDir::homePath() + QStringLiteral("/.config");
    }
    return base;
}
