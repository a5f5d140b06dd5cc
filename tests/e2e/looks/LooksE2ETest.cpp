// What a user sees and what a screen reader reads of every window, with the real binary under
// Xvfb and openbox (no compositor). Pictures of the panel, the task list, the settings and
// help, light and dark, at scale 1, 1.5 and 2, are left in ARTIFACT_DIR, each dark one darker
// than its light one; the panel's rounded corners are checked against the root window beside
// them, and its place on the screen at each scale. Through the real AT-SPI registry:
// the names, roles and focus order of the panel, the task list and the settings, the current
// task announced when it changes, and the task list sorted by keyboard.
#include "AppearancePortal.h"
#include "QuenbyE2E.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

// atspi.py's answer: one JSON value a line.
QList<QJsonValue> atspi(const QStringList& arguments) {
    const E2E::RunResult result =
        E2E::run("/usr/bin/python3", QStringList{QStringLiteral(ATSPI_SCRIPT)} + arguments,
                 std::chrono::minutes(2));
    QList<QJsonValue> values;
    for (const QString& line : result.output.split(u'\n', Qt::SkipEmptyParts)) {
        const QJsonDocument document = QJsonDocument::fromJson(line.toUtf8());
        values.append(document.isObject() ? QJsonValue(document.object()) : QJsonValue(line));
    }
    return values;
}

// The window's nodes in the tree's order, as "role: name"; after a table, the task its first
// row reads, as "first row: name".
void flatten(const QJsonObject& node, QStringList& into) {
    into.append(node["role"].toString() + ": " + node["name"].toString());
    if (node.contains("firstRow")) {
        into.append("first row: " + node["firstRow"].toArray().at(1).toString());
    }
    for (const QJsonValue child : node["children"].toArray()) {
        flatten(child.toObject(), into);
    }
}

// The showing window whose nodes include `marker`, flattened; with every focusable node named.
QStringList windowWith(const QString& marker) {
    for (const QJsonValue& window : atspi({"tree"})) {
        QStringList nodes;
        flatten(window.toObject(), nodes);
        if (nodes.contains(marker)) {
            return nodes;
        }
    }
    return {};
}

// Where Tab takes the keyboard, `count` times over.
QStringList tabOrder(int count) {
    QStringList order;
    for (const QJsonValue& v : atspi({"tab", QString::number(count)})) {
        flatten(v.toObject(), order);
    }
    return order;
}

// The nodes of one role with these names, as flatten() lists them.
QStringList nodes(const QString& role, QStringList names) {
    for (QString& name : names) {
        name.prepend(role + ": ");
    }
    return names;
}

// Unnamed controls in a window's tree: what a screen reader could only call by its role.
QStringList unnamedControls(QStringList nodes) {
    const QStringList unnamed{
        "push button: ", "combo box: ", "check box: ", "text: ", "table: ", "password text: "};
    nodes.removeIf([&](const QString& node) { return !unnamed.contains(node); });
    return nodes;
}

} // namespace

class LooksE2E : public ShortcutsE2E, public testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        ShortcutsE2E::SetUp();
        ASSERT_FALSE(portal.address().isEmpty());
        qputenv("DBUS_SESSION_BUS_ADDRESS", portal.address().toUtf8());
        qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
        registry.start("/usr/libexec/at-spi-bus-launcher", {"--launch-immediately"});
        const double now = Date::fromUnixSeconds(double(QDateTime::currentSecsSinceEpoch()))
                               .secondsSinceReferenceDate;
        ASSERT_TRUE(writeFile(
            storeFile(),
            *Json::encodeTasks(
                {makeTask("Book the dentist", now - 9000), makeTask("Call Mum", now - 8000),
                 makeTask("Write the quarterly report for the board, with the figures from "
                          "every region and a summary",
                          now - 7000),
                 markedDone(makeTask("Buy milk", now - 6000)),
                 makeSnoozed("Water the plants", now - 5000, Date{now + 86400})})));
        ASSERT_TRUE(writeFile(storePath(config.path(), "tutorialsAdded.bool"), "true"));
        quenby =
            std::make_unique<Quenby>(config.path(), QString(), QString::fromLatin1(GetParam()));
        ASSERT_TRUE(quenby->waitForLine("viewDidAppear")) << quenby->output.constData();
    }
    void TearDown() override {
        quenby.reset();
        registry.kill();
        registry.waitForFinished(2000);
    }

    static bool waitForWindow(const QString& name) {
        return E2E::waitUntil([&] { return !E2E::windowNamed(name).isEmpty(); }, E2E::patience);
    }
    // Saved as <name>-<scheme>-scale-<scale>.png.
    QImage screenshot(const QString& window, const QString& name) const {
        return E2E::screenshot(window, QStringLiteral(ARTIFACT_DIR),
                               name + u'-' + scheme + "-scale-" + GetParam());
    }
    // The window's picture; in the dark, darker than it was in the light.
    void shoot(const QString& window, const QString& name) {
        const QImage image = screenshot(E2E::windowNamed(window), name);
        double brightness = 0; // the mean of the pixels' grey
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                brightness += qGray(image.pixel(x, y));
            }
        }
        brightness /= std::max<qsizetype>(1, qsizetype(image.width()) * image.height());
        if (scheme == QLatin1String("dark")) {
            EXPECT_LT(brightness, lightBrightness[name]) << name.toStdString();
        }
        lightBrightness[name] = brightness;
    }
    void everyWindow();
    QStringList fringe() const;

    AppearancePortal portal;
    QProcess registry;
    QString scheme = "light";
    std::map<QString, double> lightBrightness;
};

// Without a compositor the panel's corners are cut by its mask: each pixel of a corner shows
// either the root window or the panel's own background, never a darker fringe. Answers the
// pixels that do not.
QStringList LooksE2E::fringe() const {
    const QRect frame = quenby->panelGeometry();
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    const QColor bg = screen.pixelColor(frame.center().x(), frame.bottom() - 2);
    // What the screen shows where the mask cuts the panel away: the root window beside it.
    const QRgb backdrop = screen.pixel(std::max(frame.left() - 1, 0), frame.bottom() + 1);
    const int corner = static_cast<int>(std::ceil(12 * QString::fromLatin1(GetParam()).toDouble()));
    QStringList pixels;
    for (const QPoint origin : {frame.topLeft(), frame.topRight() - QPoint(corner - 1, 0),
                                frame.bottomLeft() - QPoint(0, corner - 1),
                                frame.bottomRight() - QPoint(corner - 1, corner - 1)}) {
        for (int y = 0; y < corner; ++y) {
            for (int x = 0; x < corner; ++x) {
                if (!screen.rect().contains(origin + QPoint(x, y))) {
                    continue;
                }
                const QColor pixel = screen.pixelColor(origin + QPoint(x, y));
                const int off = std::max({std::abs(pixel.red() - bg.red()),
                                          std::abs(pixel.green() - bg.green()),
                                          std::abs(pixel.blue() - bg.blue())});
                if (pixel.rgb() != backdrop && off > 6) {
                    pixels.append(QStringLiteral("%1,%2").arg(origin.x() + x).arg(origin.y() + y));
                }
            }
        }
    }
    return pixels;
}

// Each window's picture in the current appearance.
void LooksE2E::everyWindow() {
    // Once the panel shows the appearance: its background light or dark.
    const bool dark = scheme == QLatin1String("dark");
    ASSERT_TRUE(E2E::waitUntil(
        [&] {
            const QImage panel = screenshot(quenby->panelWindow(), "panel");
            const QColor bg = panel.pixelColor(panel.width() / 2, panel.height() - 3);
            return panel.pixelColor(panel.width() / 2, 2).alpha() == 255 &&
                   (bg.lightness() < 128) == dark;
        },
        E2E::patience));
    ASSERT_TRUE(press("ctrl+alt+t") && waitForWindow("Tasks"));
    shoot("Tasks", "tasklist");
    ASSERT_TRUE(closeWith("alt+F4", "Tasks"));
    ASSERT_TRUE(openFromPanel("ctrl+comma", "Quenby Settings"));
    shoot("Quenby Settings", "settings");
    ASSERT_TRUE(closeWith("Escape", "Quenby Settings"));
    ASSERT_TRUE(openFromPanel("F1", "Quenby Help"));
    shoot("Quenby Help", "help");
    ASSERT_TRUE(closeWith("space", "Quenby Help"));
    press("Escape");
}

// Then the panel's place on a 1280×800 screen: centred in logical pixels at the first start (at
// the left edge when wider than the screen), and after a restart where it was left, or back on
// the screen from a place far off it.
TEST_P(LooksE2E, EveryWindowLightAndDarkWithCleanCornersAndThePanelPlacedInLogicalPixels) {
    for (const auto appearance : {AppearancePortal::Light, AppearancePortal::Dark}) {
        scheme = appearance == AppearancePortal::Dark ? "dark" : "light";
        portal.setScheme(appearance);
        SCOPED_TRACE(scheme.toStdString());
        ASSERT_NO_FATAL_FAILURE(everyWindow());
        EXPECT_EQ(fringe(), QStringList());
    }
    const QString scale = QString::fromLatin1(GetParam());
    const double factor = scale.toDouble();
    const QRect screen(0, 0, 1280, 800);
    QRect panel = quenby->panelGeometry();
    const double logicalLeft = std::max(0.0, (1280 / factor - panel.width() / factor) / 2);
    EXPECT_NEAR(panel.x(), logicalLeft * factor, factor + 1) << "panel " << panel.x();
    EXPECT_GE(panel.y(), 0);
    for (const QPoint stored : {QPoint(5000, 5000), QPoint(20, 30)}) {
        quenby.reset();
        ASSERT_TRUE(writeFile(storePath(config.path(), "panelOrigin.ints"),
                              QString("[%1,%2]").arg(stored.x()).arg(stored.y()).toUtf8()));
        quenby = std::make_unique<Quenby>(config.path(), QString(), scale);
        ASSERT_TRUE(quenby->waitForLine("viewDidAppear"));
        // Exactly there, unless the panel is wider than the screen at this scale.
        const auto kept = [&] {
            return stored.x() > 1000 ||
                   (std::abs(panel.x() -
                             (panel.width() <= screen.width() ? stored.x() * factor : 0)) <= 2 &&
                    std::abs(panel.y() - stored.y() * factor) <= 2);
        };
        EXPECT_TRUE(E2E::waitUntil([&] {
            panel = quenby->panelGeometry();
            return panel.width() > 0 && screen.contains(panel.topLeft()) && kept();
        })) << panel.x()
            << "," << panel.y() << " at scale " << scale.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, LooksE2E, testing::Values("1", "1.5", "2"));

using AccessibleE2E = LooksE2E;

TEST_P(AccessibleE2E, ScreenReadersReadNamesRolesFocusOrderAndTheCurrentTask) {
    // The panel: its current task by name, every button named, in the order Tab takes.
    const QStringList panel = windowWith("push button: Mark the current task done");
    ASSERT_FALSE(panel.isEmpty()) << "no panel in the AT-SPI tree";
    EXPECT_TRUE(panel.contains("text: Current task: Book the dentist"))
        << panel.join(u'\n').toStdString();
    EXPECT_EQ(unnamedControls(panel), QStringList());
    ASSERT_TRUE(xdotool({"windowactivate", "--sync", quenby->panelWindow()}));
    const QStringList buttons = nodes(
        "push button", {"Add a task", "Snooze for an hour", "Snooze for a day",
                        "Snooze for two days", "Snooze for a week", "Unsnooze all tasks",
                        "Edit all tasks", "Open the Quenby web site", "Help", "Shortcut settings",
                        "Hide Quenby for a while", "Quit Quenby", "Mark the current task done"});
    EXPECT_EQ(tabOrder(int(buttons.size())), buttons);

    // Done by its shortcut: the next task is announced as the text's new name.
    QProcess listener;
    listener.start("/usr/bin/python3", {ATSPI_SCRIPT, "names", "20"});
    ASSERT_TRUE(E2E::waitUntil([&] { return listener.canReadLine(); }, E2E::patience));
    ASSERT_TRUE(press("ctrl+alt+d"));
    const QByteArray announced = R"({"role": "text", "name": "Current task: Call Mum"})";
    EXPECT_TRUE(
        E2E::waitUntil([&] { return listener.peek(1 << 16).contains(announced); }, E2E::patience))
        << listener.peek(1 << 16).constData();
    listener.kill();
    listener.waitForFinished(2000);

    // The task list: named, its buttons too, sorted by keyboard (Ctrl+2: by task, again to
    // reverse), the first row read back through the registry.
    ASSERT_TRUE(press("ctrl+alt+t") && waitForWindow("Tasks"));
    const auto firstTask = [] {
        return windowWith("table: Tasks").filter(QRegularExpression("^first row: ")).value(0);
    };
    const QStringList list = windowWith("table: Tasks");
    ASSERT_FALSE(list.isEmpty()) << "no task list in the AT-SPI tree";
    EXPECT_EQ(unnamedControls(list), QStringList());
    ASSERT_TRUE(press("ctrl+2"));
    EXPECT_TRUE(
        E2E::waitUntil([&] { return firstTask() == "first row: Book the dentist"; }, E2E::patience))
        << firstTask().toStdString();
    ASSERT_TRUE(press("ctrl+2"));
    EXPECT_TRUE(E2E::waitUntil(
        [&] { return firstTask().startsWith("first row: Write the quarterly report"); },
        E2E::patience))
        << firstTask().toStdString();
    EXPECT_EQ(tabOrder(3), nodes("push button",
                                 {"Delete every done task", "Import tasks from a CSV or text file",
                                  "Export all tasks to a CSV file"}));
    ASSERT_TRUE(closeWith("alt+F4", "Tasks"));

    // The settings: the shortcut section first, every control named, Tab through all of it.
    ASSERT_TRUE(openFromPanel("ctrl+comma", "Quenby Settings"));
    const QStringList settings = windowWith("combo box: Add a task");
    ASSERT_FALSE(settings.isEmpty()) << "no settings in the AT-SPI tree";
    EXPECT_EQ(unnamedControls(settings), QStringList()) << settings.join(u'\n').toStdString();
    EXPECT_EQ(settings.filter(QRegularExpression("^panel: (Shortcuts|Sync|General)$")),
              nodes("panel", {"Shortcuts", "Sync", "General"}));
    // From the first list on, as it opens with the keyboard.
    const QStringList order = tabOrder(20);
    const QStringList combos =
        nodes("combo box", {"Mark done", "Snooze for an hour", "Snooze for a day",
                            "Snooze for two days", "Snooze for a week", "Edit all tasks"});
    EXPECT_EQ(order.mid(0, combos.size()), combos) << order.join(u'\n').toStdString();
    const qsizetype login = order.indexOf("check box: Start at Login");
    EXPECT_GT(login, combos.size()) << order.join(u'\n').toStdString();
    EXPECT_EQ(order.mid(login + 1, 2), (QStringList{"push button: Cancel", "push button: Save"}))
        << order.join(u'\n').toStdString();
    EXPECT_TRUE(closeWith("alt+s", "Quenby Settings")) << "saved by its key";
}

INSTANTIATE_TEST_SUITE_P(AtScaleOne, AccessibleE2E, testing::Values("1"));
