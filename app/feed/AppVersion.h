#pragma once

#include <QString>

// The running application's version as the feed's version windows see it: the short
// version (MAJOR.MINOR), ".", the build number; 2.3 with build 41 gives "2.3.41".
QString runningVersion();
