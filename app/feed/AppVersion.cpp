#include "feed/AppVersion.h"

#include "feed/BuildSettings.h"

QString runningVersion() {
    return QString::fromUtf8(BuildSettings::shortVersion) + u'.' +
           QString::fromUtf8(BuildSettings::buildNumber);
}
