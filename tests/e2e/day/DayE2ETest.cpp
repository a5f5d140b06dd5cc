// A user's whole day with the real binary: shortcuts from inside another application, the
// panel's menu and buttons, the task list, the settings, help, an announcement, restarts,
// and start at login, each step checked in the files the application keeps. Screenshots
// of each window, light and dark, are left in ARTIFACT_DIR.
#include "AppearancePortal.h"
#include "QuenbyE2E.h"
#include "tests/support/LocalHttpServer.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <functional>

#include <X11/keysym.h>

namespace {

const QString aHint = QStringLiteral("Hint: Press Control-Alt-A to add a new task");
const QString dHint = QStringLiteral("Hint: Press Control-Alt-D to mark task as done");
const QString hHint = QStringLiteral("Hint: Press Control-Alt-H to snooze task for an hour");

// The clock in whole seconds, rounded down.
double wholeSecondsNow() {
    return Date::fromUnixSeconds(double(QDateTime::currentSecsSinceEpoch()))
        .secondsSinceReferenceDate;
}

double meanBrightness(const QImage& image) {
    double sum = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            sum += qGray(image.pixel(x, y));
        }
    }
    return sum / std::max<qsizetype>(1, qsizetype(image.width()) * image.height());
}

} // namespace

class DayE2E : public ShortcutsE2E {
protected:
    void SetUp() override {
        ShortcutsE2E::SetUp();
        ASSERT_FALSE(portal.address().isEmpty());
        qputenv("DBUS_SESSION_BUS_ADDRESS", portal.address().toUtf8());
    }

    QString autostartFile() const {
        return config.path() + QStringLiteral("/autostart/app.quenby.Quenby.AutoLauncher.desktop");
    }
    std::optional<Task> task(const QString& name) const {
        const std::vector<Task> tasks = stored();
        const Task* t = find(tasks, name);
        return t != nullptr ? std::optional<Task>(*t) : std::nullopt;
    }
    static bool press(const QString& keys) {
        return xdotool(QStringList{"key"} + keys.split(u' '));
    }
    static bool type(const QString& text) { return xdotool({"type", "--delay", "20", text}); }
    static bool waitForFocusOn(const QString& name) {
        return E2E::waitUntil([&] { return focusedName() == name; });
    }
    // Closes the window named `name` with `keys`, and waits until it is gone: on a busy
    // machine a window can still be closing when the next step clicks or types.
    static bool closeWith(const QString& keys, const QString& name) {
        return press(keys) && E2E::waitUntil([&] { return windowNamed(name).isEmpty(); });
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
    bool otherHasFocus() const {
        return E2E::waitUntil([&] { return focusedWindow() == other->windowId(); });
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
    static QImage screenshot(const QString& window, const QString& name) {
        return E2E::screenshot(window, QStringLiteral(ARTIFACT_DIR), name);
    }
    static QString windowNamed(const QString& name) { return E2E::windowNamed(name); }

    void freshStart();
    void addDoneAndSnoozes();
    void unsnoozeFromMenu();
    void taskList();
    void changeAShortcut();
    void hideForAnHour();

    // Each task's id and text, in a stable order.
    QStringList identities() const {
        QStringList lines;
        for (const Task& t : stored()) {
            lines << t.id.toString() + u' ' + t.name;
        }
        lines.sort();
        return lines;
    }
    void help(const QString& shot);
    void restart(const QString& feed = {});
    void announcement();
    void dragAndRestart();
    void startAtLogin();
    void dark();
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
    static constexpr QPoint helpButton{475, 98};

    AppearancePortal portal;
};

// The tutorial's three hints, and start at login set up by the first launch.
void DayE2E::freshStart() {
    startBoth();
    ASSERT_TRUE(waitForStore([](const auto& s) { return s.size() == 3; }));
    for (const QString& hint : {aHint, dHint, hHint}) {
        const std::optional<Task> t = task(hint);
        ASSERT_TRUE(t && t->isTutorial) << hint.toStdString();
    }
    EXPECT_TRUE(E2E::waitUntil([&] { return QFile::exists(autostartFile()); }));
    screenshot(quenby->panelWindow(), QStringLiteral("panel-light"));
}

// Six tasks typed into the panel, one done and four snoozed by their shortcuts, all from the
// other application, which has the keyboard back after each.
void DayE2E::addDoneAndSnoozes() {
    const QStringList names{"Buy milk",     "Call mum",     "Pay rent",
                            "Book dentist", "Water plants", "Read a book"};
    for (const QString& name : names) {
        ASSERT_TRUE(press("ctrl+alt+a"));
        ASSERT_TRUE(E2E::waitUntil([&] { return focusedWindow() != other->windowId(); }));
        ASSERT_TRUE(type(name));
        ASSERT_TRUE(press("Return"));
        ASSERT_TRUE(waitForStore([&](const auto& s) { return find(s, name); }))
            << name.toStdString();
        ASSERT_TRUE(otherHasFocus()) << name.toStdString();
    }
    EXPECT_FALSE(task(aHint)) << "the A hint goes once A was used";
    ASSERT_TRUE(press("ctrl+alt+d"));
    ASSERT_TRUE(waitForStore([&](const auto& s) { return !find(s, dHint); }));
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
        ASSERT_TRUE(waitForStore([&](const auto& s) { return find(s, names[i + 1])->isSnoozed; }))
            << keys;
        const double from =
            task(names[i + 1])->snoozedUntil.value_or(Date{}).secondsSinceReferenceDate - length;
        EXPECT_TRUE(from >= pressed && from <= wholeSecondsNow() + 1) << keys;
        EXPECT_EQ(focusedWindow(), other->windowId()) << keys;
    }
    EXPECT_TRUE(waitForStore([&](const auto& s) { return !find(s, hHint); }));
    EXPECT_EQ(stored().size(), names.size());
    EXPECT_EQ(other->keyPresses(XK_d) + other->keyPresses(XK_h) + other->keyPresses(XK_w), 0);
}

// The menu's third item.
void DayE2E::unsnoozeFromMenu() {
    ASSERT_TRUE(openMenu());
    ASSERT_TRUE(press("Down Down Down Return"));
    EXPECT_TRUE(waitForStore([](const auto& s) {
        return std::none_of(s.begin(), s.end(), [](const Task& t) { return t.isSnoozed; });
    }));
}

// An edit, a delete taken back, an export and the import of that file (through its preview)
// taken back, all by keyboard. Down then Up selects the first row.
void DayE2E::taskList() {
    ASSERT_TRUE(press("ctrl+alt+t"));
    ASSERT_TRUE(waitForFocusOn("Tasks")) << quenby->output.constData();
    EXPECT_EQ(other->keyPresses(XK_t), 0);
    const std::size_t count = stored().size();

    ASSERT_TRUE(press("Down Up alt+e"));
    ASSERT_TRUE(waitForFocusOn("Quenby"));
    ASSERT_TRUE(press("ctrl+a"));
    ASSERT_TRUE(type("Walk the dog"));
    ASSERT_TRUE(press("Return"));
    ASSERT_TRUE(waitForStore([&](const auto& s) { return find(s, "Walk the dog"); }));
    EXPECT_EQ(stored().size(), count);

    ASSERT_TRUE(waitForFocusOn("Tasks"));
    const QStringList before = identities();
    ASSERT_TRUE(press("Down Up Delete"));
    ASSERT_TRUE(waitForStore([&](const auto& s) { return s.size() == count - 1; }));
    ASSERT_TRUE(press("ctrl+z"));
    ASSERT_TRUE(waitForStore([&](const auto& s) { return s.size() == count; }));
    EXPECT_EQ(identities(), before) << "the undo brings the same task back";

    const QString csv = config.path() + QStringLiteral("/day.csv");
    ASSERT_TRUE(press("alt+x"));
    ASSERT_TRUE(waitForFocusOn("Choose Export Filename"));
    ASSERT_TRUE(type(csv));
    ASSERT_TRUE(press("Return"));
    ASSERT_TRUE(E2E::waitUntil([&] { return readFile(csv).contains("Walk the dog"); }));
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
    // The export's tasks come back open, and neither its header nor its dates become tasks.
    // Undone as one change.
    ASSERT_TRUE(waitForStore([&](const auto& s) { return !anyDone(s); }));
    EXPECT_EQ(stored().size(), count);
    ASSERT_TRUE(waitForFocusOn("Tasks"));
    ASSERT_TRUE(press("ctrl+z"));
    EXPECT_TRUE(E2E::waitUntil([&] { return identities() == before; }));
    ASSERT_TRUE(closeWith("alt+F4", "Tasks"));
}

// Done moves from D to X, and the new key works from the other application.
void DayE2E::changeAShortcut() {
    ASSERT_TRUE(clickPanel(settingsButton));
    ASSERT_TRUE(waitForFocusOn("Quenby Settings"));
    screenshot(windowNamed("Quenby Settings"), QStringLiteral("settings-light"));
    ASSERT_TRUE(press("Tab x"));
    ASSERT_TRUE(quenby->waitForLine("comboBoxSelectionDidChange: 1, value: X"))
        << whereKeysWent(XK_x) << quenby->output.constData();
    ASSERT_TRUE(press("alt+s"));
    ASSERT_TRUE(E2E::waitUntil([&] {
        return readFile(config.path() + "/Quenby/keyIndexes.ints") == "[0,23,7,27,28,22,19]";
    }));
    ASSERT_TRUE(E2E::waitUntil([&] { return windowNamed("Quenby Settings").isEmpty(); }));
    ASSERT_TRUE(xdotool({"windowactivate", "--sync", QString::number(other->windowId())}));
    ASSERT_TRUE(otherHasFocus());
    // The undo of the import may have left a task done or not; X marks one more.
    const std::size_t done = doneCount(stored());
    ASSERT_NO_FATAL_FAILURE(
        pressUntil("ctrl+alt+x", XK_x, [&] { return doneCount(stored()) == done + 1; }));
    const qsizetype dBefore = other->keyPresses(XK_d);
    ASSERT_TRUE(press("ctrl+alt+d"));
    EXPECT_TRUE(other->waitForKeyPresses(XK_d, dBefore + 1)) << "the old key is free again";
}

// Hidden for an hour; the add shortcut brings the panel back with the keyboard in it.
void DayE2E::hideForAnHour() {
    ASSERT_TRUE(E2E::waitUntil([&] { return windowsUp() == 1; })) << "only the panel is up";
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
    ASSERT_TRUE(xdotool({"windowactivate", "--sync", QString::number(other->windowId())}));
    ASSERT_TRUE(press("ctrl+alt+a"));
    ASSERT_TRUE(E2E::waitUntil([&] { return !quenby->panelWindow().isEmpty(); }));
    ASSERT_TRUE(waitForFocusOn("Quenby"));
    ASSERT_TRUE(press("Escape"));
    EXPECT_TRUE(otherHasFocus());
}

// Any key closes help.
void DayE2E::help(const QString& shot) {
    ASSERT_TRUE(clickPanel(helpButton));
    ASSERT_TRUE(waitForFocusOn("Quenby Help"));
    screenshot(windowNamed("Quenby Help"), shot);
    EXPECT_TRUE(closeWith("space", "Quenby Help"));
}

// Everything as it was left, and the changed shortcut still in force.
void DayE2E::restart(const QString& feed) {
    quenby.reset();
    const QStringList before = identities();
    const QByteArray keys = readFile(config.path() + "/Quenby/keyIndexes.ints");
    quenby = std::make_unique<Quenby>(config.path(), feed);
    ASSERT_TRUE(quenby->waitForLine("viewDidAppear"));
    EXPECT_EQ(identities(), before);
    EXPECT_EQ(readFile(config.path() + "/Quenby/keyIndexes.ints"), keys);
    ASSERT_TRUE(xdotool({"windowactivate", "--sync", QString::number(other->windowId())}));
    ASSERT_TRUE(otherHasFocus());
}

void DayE2E::announcement() {
    LocalHttpServer feed;
    feed.answer("/msg.json", LocalHttpServer::response(200, R"([{"id":9,"created_at":100,
        "message":"Quenby news","cta_text":"Read","cta_url":"https://example.com/"}])"));
    ASSERT_NO_FATAL_FAILURE(restart(feed.url().toString()));
    const QString messages = config.path() + QStringLiteral("/Quenby/systemMessages.data");
    ASSERT_TRUE(E2E::waitUntil([&] { return readFile(messages).contains("Quenby news"); }));
    // The next action shows it before any task: the snooze puts off a task, Done then takes the
    // message.
    ASSERT_TRUE(press("ctrl+alt+h"));
    ASSERT_TRUE(waitForStore([](const auto& s) { return snoozedCount(s) == 1; }));
    screenshot(quenby->panelWindow(), QStringLiteral("panel-announcement-light"));
    const std::size_t done = doneCount(stored());
    ASSERT_TRUE(press("ctrl+alt+x"));
    ASSERT_TRUE(E2E::waitUntil([&] { return readFile(messages) == "[]"; }));
    EXPECT_EQ(doneCount(stored()), done) << "Done on the message marks no task";
    // The feed still carries it after a restart, but it was seen: it does not come back.
    ASSERT_NO_FATAL_FAILURE(restart(feed.url().toString()));
    ASSERT_TRUE(quenby->waitForLine("Quenby news")) << quenby->output.constData();
    EXPECT_EQ(readFile(messages), "[]");
}

// Dragged by its background, and found there after a restart.
void DayE2E::dragAndRestart() {
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
    ASSERT_TRUE(
        E2E::waitUntil([&] { return QFile::exists(config.path() + "/Quenby/panelOrigin.ints"); }));
    ASSERT_NO_FATAL_FAILURE(restart());
    EXPECT_TRUE(E2E::waitUntil([&] { return quenby->panelGeometry().topLeft() == left; }))
        << quenby->panelGeometry().x() << "," << quenby->panelGeometry().y();
}

// The menu's first item turns start at login off, then on again.
void DayE2E::startAtLogin() {
    ASSERT_TRUE(QFile::exists(autostartFile()));
    for (const bool on : {false, true}) {
        ASSERT_TRUE(openMenu()) << on;
        ASSERT_TRUE(press("Down Return"));
        EXPECT_TRUE(E2E::waitUntil([&] { return QFile::exists(autostartFile()) == on; }))
            << on << quenby->output.constData();
    }
}

// The desktop turns dark: each window's picture is darker than in the light.
void DayE2E::dark() {
    const auto darker = [](const QImage& image, const char* light) {
        const QImage before(QStringLiteral(ARTIFACT_DIR "/%1.png").arg(QLatin1String(light)));
        return !image.isNull() && !before.isNull() &&
               meanBrightness(image) < meanBrightness(before);
    };
    const auto taskList = [this](const QString& name) {
        EXPECT_TRUE(press("ctrl+alt+t") && waitForFocusOn("Tasks"));
        const QImage shot = screenshot(windowNamed("Tasks"), name);
        EXPECT_TRUE(closeWith("alt+F4", "Tasks"));
        return shot;
    };
    // The task list's light picture shows the rows the dark one will.
    taskList(QStringLiteral("tasklist-light"));
    portal.setScheme(AppearancePortal::Dark);
    EXPECT_TRUE(E2E::waitUntil([&] {
        return darker(screenshot(quenby->panelWindow(), QStringLiteral("panel-dark")),
                      "panel-light");
    }));
    EXPECT_TRUE(darker(taskList(QStringLiteral("tasklist-dark")), "tasklist-light"));
    ASSERT_TRUE(clickPanel(settingsButton));
    ASSERT_TRUE(waitForFocusOn("Quenby Settings"));
    EXPECT_TRUE(darker(screenshot(windowNamed("Quenby Settings"), QStringLiteral("settings-dark")),
                       "settings-light"));
    ASSERT_TRUE(closeWith("Escape", "Quenby Settings"));
    ASSERT_NO_FATAL_FAILURE(help(QStringLiteral("help-dark")));
    EXPECT_TRUE(darker(QImage(QStringLiteral(ARTIFACT_DIR "/help-dark.png")), "help-light"));
}

TEST_F(DayE2E, AWholeDay) {
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"fresh start", [this] { freshStart(); }},
        {"add, done and snoozes", [this] { addDoneAndSnoozes(); }},
        {"unsnooze all from the menu", [this] { unsnoozeFromMenu(); }},
        {"the task list", [this] { taskList(); }},
        {"a shortcut changed", [this] { changeAShortcut(); }},
        {"hidden for an hour", [this] { hideForAnHour(); }},
        {"help", [this] { help(QStringLiteral("help-light")); }},
        {"restart and an announcement", [this] { announcement(); }},
        {"dragged and restarted", [this] { dragAndRestart(); }},
        {"start at login", [this] { startAtLogin(); }},
        {"dark", [this] { dark(); }},
    };
    for (const auto& [name, step] : steps) {
        SCOPED_TRACE(name);
        ASSERT_NO_FATAL_FAILURE(step());
    }
}
