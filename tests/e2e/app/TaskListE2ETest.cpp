// The real binary's task list window on X: Control-Alt-T from another application opens it
// with the keyboard in its table.
#include "QuenbyE2E.h"
#include "tests/support/Builders.h"

#include <X11/keysym.h>

TEST_F(ShortcutsE2E, ControlAltTOpensTheTaskListReadyForTheKeyboard) {
    ASSERT_TRUE(writeFile(
        storeFile(), *Json::encodeTasks({makeTask("first", 7e8), makeTask("second", 7e8 + 1)})));
    startBoth();
    ASSERT_TRUE(xdotool({"key", "ctrl+alt+t"}));
    const auto focusedName = [] {
        return E2E::run("xdotool", {"getwindowfocus", "getwindowname"}).output.trimmed();
    };
    ASSERT_TRUE(E2E::waitUntil([&] { return focusedName() == "Tasks"; }))
        << quenby->output.constData();
    // Typed into the window: select every row, delete them, take it back.
    ASSERT_TRUE(xdotool({"key", "ctrl+a", "Delete"}));
    ASSERT_TRUE(waitForStore([](const auto& s) { return s.empty(); }));
    ASSERT_TRUE(xdotool({"key", "ctrl+z"}));
    EXPECT_TRUE(waitForStore([](const auto& s) { return find(s, "first") && find(s, "second"); }));
    EXPECT_EQ(other->keyPresses(XK_t), 0);
}
