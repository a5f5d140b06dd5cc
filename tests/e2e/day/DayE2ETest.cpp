// A user's whole day with the real binary: shortcuts from inside another application, the
// panel's menu and buttons, the task list, an announcement and restarts, each step checked in
// the files the application keeps.
#include "QuenbyE2E.h"
#include "tests/support/LocalHttpServer.h"

#include <functional>

#include <X11/keysym.h>

class DayE2E : public ShortcutsE2E {
protected:
    qsizetype windowsUp() const { return quenby->windows().size(); }
    // A click (button 1) or right-click (3) at a point of the panel, in its own pixels.
    bool clickPanel(QPoint at, int button = 1) const {
        const QRect panel = quenby->panelGeometry();
        // From outside, so the panel sees the pointer come in, as a hand on the mouse would do.
        return xdotool({"mousemove", "--sync", "0", "0"}) &&
               xdotool({"mousemove", "--sync", QString::number(panel.x() + at.x()),
                        QString::number(panel.y() + at.y()), "click", QString::number(button)});
    }
    void restart(const QString& feed) {
        quenby.reset();
        quenby = std::make_unique<Quenby>(config.path(), feed);
        ASSERT_TRUE(quenby->waitForLine("viewDidAppear"));
        ASSERT_TRUE(activateOther());
    }
    // How many stored tasks are done, or snoozed.
    std::size_t countOf(bool Task::*flag) const { return std::ranges::count(stored(), true, flag); }

    // Places on the panel, in its own pixels.
    static constexpr QPoint background{6, 40};
    static constexpr QPoint hideButton{590, 98};
};

TEST_F(DayE2E, AWholeDay) {
    const std::pair<const char*, std::function<void()>> steps[] = {
        // Five tasks typed into the panel, one done and four snoozed by their shortcuts, all from
        // the other application, which has the keyboard back after each; the hints go with
        // the first use of their keys.
        {"add, done and snoozes",
         [this] {
             startBoth();
             const QStringList names{"Buy milk", "Call mum", "Pay rent", "Book dentist",
                                     "Water plants"};
             for (const QString& name : names) {
                 ASSERT_TRUE(addFromOther(name))
                     << name.toStdString() << quenby->output.constData();
             }
             ASSERT_TRUE(press("ctrl+alt+d"));
             ASSERT_TRUE(waitForStore([&](const auto& s) { return find(s, names[0])->isDone; }));
             // Each snooze lasts its length from the press on (the clock in whole seconds).
             const auto now = &QDateTime::currentSecsSinceEpoch;
             const std::pair<const char*, double> snoozes[] = {{"ctrl+alt+h", 3600},
                                                               {"ctrl+alt+1", 86400},
                                                               {"ctrl+alt+2", 172800},
                                                               {"ctrl+alt+w", 604800}};
             for (std::size_t i = 0; i < std::size(snoozes); ++i) {
                 const auto& [keys, length] = snoozes[i];
                 const qint64 pressed = now();
                 ASSERT_TRUE(press(keys));
                 std::optional<Date> until;
                 ASSERT_TRUE(waitForStore([&](const auto& s) {
                     until = find(s, names[i + 1])->snoozedUntil;
                     return find(s, names[i + 1])->isSnoozed;
                 })) << keys;
                 const double from = until.value_or(Date{}).unixSeconds() - length;
                 EXPECT_TRUE(from >= pressed && from <= now() + 1) << keys;
                 EXPECT_EQ(focusedWindow(), other->windowId()) << keys;
             }
             EXPECT_TRUE(
                 waitForStore([&](const auto& s) { return std::ssize(s) == names.size(); }));
             EXPECT_EQ(other->keyPresses(XK_d) + other->keyPresses(XK_h) + other->keyPresses(XK_w),
                       0);
         }},
        // The menu's third item.
        {"unsnooze all from the menu",
         [this] {
             // Opened when only the panel is up (a menu just used may still be closing).
             ASSERT_TRUE(E2E::retrying(
                 [&] {
                     return E2E::waitUntil([&] { return windowsUp() == 1; }) &&
                            clickPanel(background, 3);
                 },
                 [&] { return windowsUp() == 2; }));
             ASSERT_TRUE(press("Down Down Down Return"));
             EXPECT_TRUE(E2E::waitUntil([&] { return countOf(&Task::isSnoozed) == 0; }));
         }},
        // An export, then its import through the preview, all by keyboard through the desktop's
        // own file dialogs (what they do to the tasks: the task list's widget tests).
        {"the task list",
         [this] {
             ASSERT_TRUE(press("ctrl+alt+t") && waitForFocusOn("Tasks"))
                 << quenby->output.constData();
             const QString csv = config.path() + "/day.csv";
             ASSERT_TRUE(press("alt+x") && waitForFocusOn("Choose Export Filename"));
             ASSERT_TRUE(type(csv) && press("Return"));
             ASSERT_TRUE(E2E::waitUntil([&] { return readFile(csv).contains("Water plants"); }));
             ASSERT_TRUE(waitForFocusOn("Tasks"));
             ASSERT_TRUE(press("alt+i") && waitForFocusOn("Choose Import Filename"));
             ASSERT_TRUE(type(csv) && press("Return"));
             // The preview, accepted as it opens: the done task comes back open.
             ASSERT_TRUE(waitForFocusOn("Import Tasks") && press("Return"));
             ASSERT_TRUE(waitForStore([](const auto& s) { return !find(s, "Buy milk")->isDone; }));
             ASSERT_TRUE(closeWith("alt+F4", "Tasks"));
         }},
        // Hidden for an hour; the add shortcut brings the panel back with the keyboard in it.
        {"hidden for an hour",
         [this] {
             ASSERT_TRUE(E2E::waitUntil([&] { return windowsUp() == 1; }))
                 << "only the panel is up";
             const QString panel = quenby->panelWindow();
             ASSERT_TRUE(clickPanel(hideButton));
             ASSERT_TRUE(E2E::waitUntil([&] {
                 return focusedName() == "Quenby" && QString::number(focusedWindow()) != panel;
             })) << "the alert has the keyboard";
             // The alert's first button, "1 Hour", is its default.
             ASSERT_TRUE(E2E::retrying([] { return press("Return"); },
                                       [&] { return quenby->panelWindow().isEmpty(); }))
                 << focusedName().toStdString() << quenby->output.constData();
             ASSERT_TRUE(activateOther() && press("ctrl+alt+a"));
             ASSERT_TRUE(E2E::waitUntil([&] { return !quenby->panelWindow().isEmpty(); }));
             ASSERT_TRUE(waitForFocusOn("Quenby") && press("Escape"));
             EXPECT_TRUE(E2E::waitUntil([&] { return focusedWindow() == other->windowId(); }));
         }},
        {"restart and an announcement",
         [this] {
             LocalHttpServer feed;
             feed.answer("/msg.json", LocalHttpServer::response(200, R"([{"id":9,"created_at":100,
            "message":"Quenby news","cta_text":"Read","cta_url":"https://example.com/"}])"));
             ASSERT_NO_FATAL_FAILURE(restart(feed.url().toString()));
             const QString messages = config.path() + "/Quenby/systemMessages.data";
             ASSERT_TRUE(
                 E2E::waitUntil([&] { return readFile(messages).contains("Quenby news"); }));
             // The next action shows it before any task: the snooze puts off a task, Done then
             // takes the message.
             ASSERT_TRUE(press("ctrl+alt+h"));
             ASSERT_TRUE(E2E::waitUntil([&] { return countOf(&Task::isSnoozed) == 1; }));
             const std::size_t done = countOf(&Task::isDone);
             ASSERT_TRUE(press("ctrl+alt+d"));
             ASSERT_TRUE(E2E::waitUntil([&] { return readFile(messages) == "[]"; }));
             EXPECT_EQ(countOf(&Task::isDone), done) << "Done on the message marks no task";
             // The feed still carries it after a restart, but it was seen: it does not come back.
             ASSERT_NO_FATAL_FAILURE(restart(feed.url().toString()));
             ASSERT_TRUE(quenby->waitForLine("Quenby news")) << quenby->output.constData();
             // Taken or not in the turn that fetched it: an action after that sees the outcome,
             // and snoozes a task only if the message did not come back.
             const std::size_t snoozed = countOf(&Task::isSnoozed);
             ASSERT_TRUE(press("ctrl+alt+h"));
             EXPECT_TRUE(E2E::waitUntil([&] { return countOf(&Task::isSnoozed) == snoozed + 1; }));
             EXPECT_EQ(readFile(messages), "[]");
         }},
    };
    for (const auto& [name, step] : steps) {
        SCOPED_TRACE(name);
        ASSERT_NO_FATAL_FAILURE(step());
    }
}
