// The real binary on a private X display without a window manager: the focus is taken and
// given back through the input focus itself, since nobody answers _NET_ACTIVE_WINDOW.
#include "QuenbyE2E.h"
#include "tests/support/Builders.h"

#include <X11/keysym.h>

class NoWindowManagerE2E : public ShortcutsE2E {};

TEST_F(NoWindowManagerE2E, ShortcutsHandTheInputFocusBack) {
    ASSERT_TRUE(writeFile(storeFile(), *Json::encodeTasks({makeTask("older", 700000000.0)})));
    startBoth();

    ASSERT_TRUE(press("ctrl+alt+a"));
    ASSERT_TRUE(E2E::waitUntil([&] { return focusedWindow() != other->windowId(); }));
    ASSERT_TRUE(type("no wm") && press("Return"));
    ASSERT_TRUE(waitForStore([](const auto& s) { return find(s, "no wm"); }));
    EXPECT_TRUE(E2E::waitUntil([&] { return focusedWindow() == other->windowId(); }))
        << "the input focus goes back to the other application";

    ASSERT_TRUE(press("ctrl+alt+d"));
    EXPECT_TRUE(
        waitForStore([](const auto& s) { return find(s, "older") && find(s, "older")->isDone; }));
    EXPECT_EQ(focusedWindow(), other->windowId());
    EXPECT_EQ(other->keyPresses(XK_d), 0);
}
