// A user's whole day with the real binary: shortcuts from inside another application, the
// panel's menu and buttons, the task list, the settings, an announcement and restarts, each
// step checked in the files the application keeps.
#include "QuenbyE2E.h"
#include "tasks/TaskBoard.h"
#include "tests/support/LocalHttpServer.h"

#include <functional>

#include <X11/keysym.h>

namespace {

// The clock in whole seconds, rounded down.
double wholeSecondsNow() {
    return Date::fromUnixSeconds(double(QDateTime::currentSecsSinceEpoch()))
        .secondsSinceReferenceDate;
}

} // namespace

class DayE2E : public ShortcutsE2E {
protected:
    std::optional<Task> task(const QString& name) const {
        const std::vector<Task> tasks = stored();
        const Task* t = find(tasks, name);
        return t != nullptr ? std::optional<Task>(*t) : std::nullopt;
    }
    // How many of Quenby's windows are on screen.
    qsizetype windowsUp() const {
        return E2E::run("xdotool", {"search", "--onlyvisible", "--pid",
                                    QString::number(quenby->process.processId())})
            .output.count(u'\n');
    }
    // For a failure: where the keyboard is, and how often the other application got `keysym`.
    std::string whereKeysWent(std::uint32_t keysym) const {
        return QStringLiteral("focus on \"%1\", %2 presses in the other application\n")
            .arg(focusedName())
            .arg(other->keyPresses(keysym))
            .toStdString();
    }
    // A click (button 1) or right-click (3) at a point of the panel, in its own pixels.
    bool clickPanel(QPoint at, int button = 1) const {
        const QRect panel = quenby->panelGeometry();
        // From outside, so the panel sees the pointer come in, as a hand on the mouse would do.
        return xdotool({"mousemove", "--sync", "0", "0"}) &&
               xdotool({"mousemove", "--sync", QString::number(panel.x() + at.x()),
                        QString::number(panel.y() + at.y()), "click", QString::number(button)});
    }
    // The panel's menu, once it is on screen: the day opens it when only the panel is, and a
    // menu just used may still be closing. A click a busy machine lost is made again.
    bool openMenu() const {
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (E2E::waitUntil([&] { return windowsUp() == 1; }) && clickPanel(background, 3) &&
                E2E::waitUntil([&] { return windowsUp() == 2; })) {
                return true;
            }
        }
        return false;
    }

    // Each task's id and text, in a stable order.
    QStringList identities() const {
        QStringList lines;
        for (const Task& t : stored()) {
            lines << t.id.toString() + u' ' + t.name;
        }
        lines.sort();
        return lines;
    }
    void restart(const QString& feed = {});
    static std::size_t doneCount(const std::vector<Task>& tasks) {
        return std::count_if(tasks.begin(), tasks.end(), [](const Task& t) { return t.isDone; });
    }
    static std::size_t snoozedCount(const std::vector<Task>& tasks) {
        return std::count_if(tasks.begin(), tasks.end(), [](const Task& t) { return t.isSnoozed; });
    }

    // Places on the panel, in its own pixels.
    static constexpr QPoint background{6, 40};
    static constexpr QPoint settingsButton{532, 98};
    static constexpr QPoint hideButton{590, 98};
};

// Everything as it was left, and the changed shortcut still in force.
void DayE2E::restart(const QString& feed) {
    quenby.reset();
    const QStringList before = identities();
    const QByteArray keys = readFile(config.path() + "/Quenby/keyIndexes.ints");
    quenby = std::make_unique<Quenby>(config.path(), feed);
    ASSERT_TRUE(quenby->waitForLine("viewDidAppear"));
    EXPECT_EQ(identities(), before);
    EXPECT_EQ(readFile(config.path() + "/Quenby/keyIndexes.ints"), keys);
    ASSERT_TRUE(activateOther());
}

TEST_F(DayE2E, AWholeDay) {
    const std::pair<const char*, std::function<void()>> steps[] = {
        // The tutorial's three hints.
        {"fresh start",
         [this] {
             startBoth();
             ASSERT_TRUE(waitForStore([](const auto& s) {
                 return names(s) ==
                            QStringList{TaskBoard::aHint, TaskBoard::dHint, TaskBoard::hHint} &&
                        std::all_of(s.begin(), s.end(), [](const Task& t) { return t.isTutorial; });
             }));
         }},
        // Six tasks typed into the panel, one done and four snoozed by their shortcuts, all from
        // the other application, which has the keyboard back after each.
        {"add, done and snoozes",
         [this] {
             const QStringList names{"Buy milk",     "Call mum",     "Pay rent",
                                     "Book dentist", "Water plants", "Read a book"};
             for (const QString& name : names) {
                 ASSERT_TRUE(press("ctrl+alt+a"));
                 ASSERT_TRUE(E2E::waitUntil([&] { return focusedWindow() != other->windowId(); }));
                 ASSERT_TRUE(type(name));
                 ASSERT_TRUE(press("Return"));
                 ASSERT_TRUE(waitForStore([&](const auto& s) { return find(s, name); }))
                     << name.toStdString();
                 ASSERT_TRUE(E2E::waitUntil([&] { return focusedWindow() == other->windowId(); }))
                     << name.toStdString();
             }
             EXPECT_FALSE(task(TaskBoard::aHint)) << "the A hint goes once A was used";
             ASSERT_TRUE(press("ctrl+alt+d"));
             ASSERT_TRUE(waitForStore([&](const auto& s) { return !find(s, TaskBoard::dHint); }));
             EXPECT_TRUE(task(names[0])->isDone);
             // Each snooze lasts its length from the press on.
             const std::pair<const char*, double> snoozes[] = {{"ctrl+alt+h", 3600},
                                                               {"ctrl+alt+1", 86400},
                                                               {"ctrl+alt+2", 172800},
                                                               {"ctrl+alt+w", 604800}};
             for (std::size_t i = 0; i < std::size(snoozes); ++i) {
                 const auto& [keys, length] = snoozes[i];
                 const double pressed = wholeSecondsNow();
                 ASSERT_TRUE(press(keys));
                 ASSERT_TRUE(waitForStore([&](const auto& s) {
                     return find(s, names[i + 1])->isSnoozed;
                 })) << keys;
                 const double from =
                     task(names[i + 1])->snoozedUntil.value_or(Date{}).secondsSinceReferenceDate -
                     length;
                 EXPECT_TRUE(from >= pressed && from <= wholeSecondsNow() + 1) << keys;
                 EXPECT_EQ(focusedWindow(), other->windowId()) << keys;
             }
             EXPECT_TRUE(waitForStore([&](const auto& s) { return !find(s, TaskBoard::hHint); }));
             EXPECT_EQ(stored().size(), names.size());
             EXPECT_EQ(other->keyPresses(XK_d) + other->keyPresses(XK_h) + other->keyPresses(XK_w),
                       0);
         }},
        // The menu's third item.
        {"unsnooze all from the menu",
         [this] {
             ASSERT_TRUE(openMenu());
             ASSERT_TRUE(press("Down Down Down Return"));
             EXPECT_TRUE(waitForStore([](const auto& s) {
                 return std::none_of(s.begin(), s.end(), [](const Task& t) { return t.isSnoozed; });
             }));
         }},
        // An export and the import of that file (through its preview) taken back, all by keyboard
        // through the desktop's own file dialogs.
        {"the task list",
         [this] {
             ASSERT_TRUE(press("ctrl+alt+t"));
             ASSERT_TRUE(waitForFocusOn("Tasks")) << quenby->output.constData();
             EXPECT_EQ(other->keyPresses(XK_t), 0);
             const std::size_t count = stored().size();
             const QStringList before = identities();

             const QString csv = config.path() + QStringLiteral("/day.csv");
             ASSERT_TRUE(press("alt+x"));
             ASSERT_TRUE(waitForFocusOn("Choose Export Filename"));
             ASSERT_TRUE(type(csv));
             ASSERT_TRUE(press("Return"));
             ASSERT_TRUE(E2E::waitUntil([&] { return readFile(csv).contains("Read a book"); }));
             ASSERT_TRUE(waitForFocusOn("Tasks"));
             const auto anyDone = [](const auto& s) {
                 return std::any_of(s.begin(), s.end(), [](const Task& t) { return t.isDone; });
             };
             ASSERT_TRUE(anyDone(stored()));
             ASSERT_TRUE(press("alt+i"));
             ASSERT_TRUE(waitForFocusOn("Choose Import Filename"));
             ASSERT_TRUE(type(csv));
             ASSERT_TRUE(press("Return"));
             // The preview, accepted as it opens.
             ASSERT_TRUE(waitForFocusOn("Import Tasks"));
             ASSERT_TRUE(press("Return"));
             // The export's tasks come back open, and neither its header nor its dates become
             // tasks. Undone as one change.
             ASSERT_TRUE(waitForStore([&](const auto& s) { return !anyDone(s); }));
             EXPECT_EQ(stored().size(), count);
             ASSERT_TRUE(waitForFocusOn("Tasks"));
             ASSERT_TRUE(press("ctrl+z"));
             EXPECT_TRUE(E2E::waitUntil([&] { return identities() == before; }));
             ASSERT_TRUE(closeWith("alt+F4", "Tasks"));
         }},
        // Done moves from D to X, and the new key works from the other application.
        {"a shortcut changed",
         [this] {
             ASSERT_TRUE(clickPanel(settingsButton));
             ASSERT_TRUE(waitForFocusOn("Quenby Settings"));
             ASSERT_TRUE(press("Tab x"));
             ASSERT_TRUE(quenby->waitForLine("comboBoxSelectionDidChange: 1, value: X"))
                 << whereKeysWent(XK_x) << quenby->output.constData();
             ASSERT_TRUE(press("alt+s"));
             ASSERT_TRUE(E2E::waitUntil([&] {
                 return readFile(config.path() + "/Quenby/keyIndexes.ints") ==
                        "[0,23,7,27,28,22,19]";
             }));
             ASSERT_TRUE(
                 E2E::waitUntil([&] { return E2E::windowNamed("Quenby Settings").isEmpty(); }));
             ASSERT_TRUE(activateOther());
             // The undo of the import may have left a task done or not; X marks one more.
             const std::size_t done = doneCount(stored());
             ASSERT_NO_FATAL_FAILURE(
                 pressUntil("ctrl+alt+x", XK_x, [&] { return doneCount(stored()) == done + 1; }));
             const qsizetype dBefore = other->keyPresses(XK_d);
             ASSERT_TRUE(press("ctrl+alt+d"));
             EXPECT_TRUE(other->waitForKeyPresses(XK_d, dBefore + 1))
                 << "the old key is free again";
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
             // The alert's first button, "1 Hour", is its default; a key lost while it settles is
             // pressed again.
             const auto hidden = [&] { return quenby->panelWindow().isEmpty(); };
             for (int attempt = 0; attempt < 3 && !hidden(); ++attempt) {
                 ASSERT_TRUE(press("Return"));
                 E2E::waitUntil(hidden);
             }
             ASSERT_TRUE(hidden()) << whereKeysWent(XK_Return) << quenby->output.constData();
             ASSERT_TRUE(activateOther());
             ASSERT_TRUE(press("ctrl+alt+a"));
             ASSERT_TRUE(E2E::waitUntil([&] { return !quenby->panelWindow().isEmpty(); }));
             ASSERT_TRUE(waitForFocusOn("Quenby"));
             ASSERT_TRUE(press("Escape"));
             EXPECT_TRUE(E2E::waitUntil([&] { return focusedWindow() == other->windowId(); }));
         }},
        {"restart and an announcement",
         [this] {
             LocalHttpServer feed;
             feed.answer("/msg.json", LocalHttpServer::response(200, R"([{"id":9,"created_at":100,
            "message":"Quenby news","cta_text":"Read","cta_url":"https://example.com/"}])"));
             ASSERT_NO_FATAL_FAILURE(restart(feed.url().toString()));
             const QString messages = config.path() + QStringLiteral("/Quenby/systemMessages.data");
             ASSERT_TRUE(
                 E2E::waitUntil([&] { return readFile(messages).contains("Quenby news"); }));
             // The next action shows it before any task: the snooze puts off a task, Done then
             // takes the message.
             ASSERT_TRUE(press("ctrl+alt+h"));
             ASSERT_TRUE(waitForStore([](const auto& s) { return snoozedCount(s) == 1; }));
             const std::size_t done = doneCount(stored());
             ASSERT_TRUE(press("ctrl+alt+x"));
             ASSERT_TRUE(E2E::waitUntil([&] { return readFile(messages) == "[]"; }));
             EXPECT_EQ(doneCount(stored()), done) << "Done on the message marks no task";
             // The feed still carries it after a restart, but it was seen: it does not come back.
             ASSERT_NO_FATAL_FAILURE(restart(feed.url().toString()));
             ASSERT_TRUE(quenby->waitForLine("Quenby news")) << quenby->output.constData();
             EXPECT_EQ(readFile(messages), "[]");
         }},
        // Dragged by its background, and found there after a restart.
        {"dragged and restarted",
         [this] {
             const QRect start = quenby->panelGeometry();
             const QPoint grip = start.topLeft() + background;
             ASSERT_TRUE(xdotool({"mousemove", "--sync", QString::number(grip.x()),
                                  QString::number(grip.y()), "mousedown", "1"}));
             for (int step = 1; step <= 10; ++step) {
                 ASSERT_TRUE(xdotool({"mousemove", "--sync", QString::number(grip.x() + 12 * step),
                                      QString::number(grip.y() + 9 * step)}));
             }
             ASSERT_TRUE(xdotool({"mouseup", "1"}));
             const QPoint moved = start.topLeft() + QPoint(120, 90);
             ASSERT_TRUE(E2E::waitUntil([&] {
                 return (quenby->panelGeometry().topLeft() - moved).manhattanLength() <= 4;
             })) << quenby->panelGeometry().x()
                 << "," << quenby->panelGeometry().y();
             const QPoint left = quenby->panelGeometry().topLeft();
             ASSERT_TRUE(E2E::waitUntil(
                 [&] { return QFile::exists(config.path() + "/Quenby/panelOrigin.ints"); }));
             ASSERT_NO_FATAL_FAILURE(restart());
             EXPECT_TRUE(E2E::waitUntil([&] { return quenby->panelGeometry().topLeft() == left; }))
                 << quenby->panelGeometry().x() << "," << quenby->panelGeometry().y();
         }},
    };
    for (const auto& [name, step] : steps) {
        SCOPED_TRACE(name);
        ASSERT_NO_FATAL_FAILURE(step());
    }
}
