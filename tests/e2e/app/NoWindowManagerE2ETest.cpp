// The real binary on a private X display without a window manager: the focus is taken and
// given back through the input focus itself, since nobody answers _NET_ACTIVE_WINDOW. (Done
// leaves the focus alone, whoever manages the windows: DayE2E.)
#include "QuenbyE2E.h"

class NoWindowManagerE2E : public ShortcutsE2E {};

TEST_F(NoWindowManagerE2E, ShortcutsHandTheInputFocusBack) {
    startBoth();
    EXPECT_TRUE(addFromOther("no wm")) << quenby->output.constData();
}
