// The real binary on a private X display, under what a hostile tester does to its store:
// kill -9 in the middle of shortcut actions, a full or read-only disk under a shortcut and an
// add, and broken store files (launches racing each other are the channel's cold starts). Each
// group prints one summary line.
#include "Torture.h"
#include "tasks/TaskBoard.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <map>
#include <random>

using namespace Torture;

namespace {

// The done and snoozed tasks of the stored list, by id; tutorials come and go on their own.
std::map<QUuid, char> changes(const std::vector<Task>& tasks) {
    std::map<QUuid, char> out;
    for (const Task& t : tasks) {
        if (!t.isTutorial && (t.isDone || t.isSnoozed)) {
            out[t.id] = t.isDone ? 'd' : 's';
        }
    }
    return out;
}

// The bytes of a regular file; nothing for anything else (reading a FIFO would block).
QByteArray contents(const QString& path) {
    return QFileInfo(path).isFile() ? readFile(path) : QByteArray();
}

} // namespace

TEST(Torture, KillDuringShortcutActionsLosesNothingAcknowledged) {
    const QTemporaryDir config;
    const int total = rounds(6);
    seedTasks(config.path(), total * 4 + 10);
    std::mt19937 rng(20240601);
    const char* const actions[] = {"ctrl+alt+d", "ctrl+alt+h", "ctrl+alt+1", "ctrl+alt+2",
                                   "ctrl+alt+w"};
    // Every change seen in the store before the kill that followed it.
    std::map<QUuid, char> acknowledged;
    int lost = 0;
    int midWrite = 0;
    for (int round = 0; round <= total; ++round) {
        App app(config.path());
        ASSERT_TRUE(app.waitForLine("viewDidAppear")) << app.output.constData();
        const auto stored = changes(storedTasks(config.path()));
        lost += static_cast<int>(std::ranges::count_if(acknowledged, [&](const auto& change) {
            return std::ranges::find(stored, change) == stored.end();
        }));
        EXPECT_EQ(lost, 0) << "round " << round;
        // A save of the new run may be under way; what a killed one left must be gone.
        EXPECT_TRUE(E2E::waitUntil([&] { return storeProblems(config.path()).isEmpty(); }, 2s))
            << "round " << round << ": " << storeProblems(config.path()).join(' ').toStdString();
        if (round == total) {
            break;
        }
        const int steps = std::uniform_int_distribution<int>(1, 4)(rng);
        for (int step = 0; step < steps; ++step) {
            ASSERT_TRUE(xdotool({"key", actions[std::uniform_int_distribution<int>(0, 4)(rng)]}));
            const bool last = step == steps - 1;
            // Waits for the change, except after the last key: the kill comes at a
            // random moment while it is handled.
            const auto wait =
                last ? std::chrono::milliseconds(std::uniform_int_distribution<int>(0, 40)(rng))
                     : std::chrono::milliseconds(5000);
            const std::size_t before = acknowledged.size();
            E2E::waitUntil(
                [&] {
                    acknowledged.merge(changes(storedTasks(config.path())));
                    return acknowledged.size() > before;
                },
                wait);
        }
        app.kill();
        midWrite += saveUnfinished(config.path());
    }
    summary("kill -9", total, static_cast<int>(acknowledged.size()), lost);
    std::cout << "torture kill -9: " << midWrite << " kills left a write unfinished" << std::endl;
}

class TortureFullDisk : public FullDisk, public testing::WithParamInterface<int> {};

TEST_P(TortureFullDisk, TheAppKeepsRunningAndRecoversWhenSpaceReturns) {
    const std::vector<Task> tasks = seedTasks(config.path(), GetParam());
    App app(config.path());
    ASSERT_TRUE(app.waitForLine("viewDidAppear")) << app.output.constData();
    int step = 0;
    // Done on the current task, then waits until the store shows it and its hint gone.
    const auto doneStored = [&] {
        ++step;
        return xdotool({"key", "ctrl+alt+d"}) &&
               waitForStored(config.path(), [&](const std::vector<Task>& stored) {
                   return changes(stored).size() == static_cast<size_t>(step) &&
                          std::ranges::none_of(
                              stored, [](const Task& t) { return t.name == TaskBoard::dHint; });
               });
    };
    ASSERT_TRUE(doneStored());
    const QString list = storePath(config.path(), "tasksData.data");
    const auto remount = [&](const QString& how) {
        return [&, how] { E2E::run("mount", {"-o", "remount," + how, config.path()}); };
    };
    // How to make the fault, how to undo it, and what the error says.
    const std::tuple<std::function<void()>, std::function<void()>, QByteArray> faults[] = {
        {[&] { fill(); }, [&] { QFile::remove(config.path() + "/filler"); },
         "No space left on device"},
        {remount("ro"), remount("rw"), "Read-only file system"}};
    for (const auto& [make, undo, why] : faults) {
        const QByteArray before = readFile(list);
        make();
        app.output.clear();
        ASSERT_TRUE(xdotool({"key", "ctrl+alt+d"}));
        ++step;
        EXPECT_TRUE(app.waitForOutput("tasksData.data - " + why)) << app.output.constData();
        EXPECT_TRUE(app.running());
        EXPECT_TRUE(readFile(list) == before) << "the previous list stays, byte for byte";
        // A failing save may be under way; none may leave anything behind.
        EXPECT_TRUE(E2E::waitUntil([&] { return storeProblems(config.path()).isEmpty(); }, 2s))
            << storeProblems(config.path()).join(' ').toStdString();
        // An add through the channel is held in memory too, and says so.
        const QString held = "held, " + why;
        const auto added = quenby(config.path(), {"--action", "add", held});
        EXPECT_EQ(added.exitCode, 3) << added.output.toStdString();
        EXPECT_TRUE(added.output.endsWith("Added, but not saved yet: " + why + '\n'))
            << added.output.toStdString();
        undo();
        // Stored without another action, so a kill that follows loses nothing.
        EXPECT_TRUE(E2E::waitUntil([&] { return storedNames(config.path())[held] == 1; }, 10s));
        EXPECT_TRUE(doneStored()) << app.output.constData();
    }
    summary(GetParam() > 100 ? "full disk (large store)" : "full disk (small store)", 2, step,
            step - static_cast<int>(changes(storedTasks(config.path())).size()));
}

INSTANTIATE_TEST_SUITE_P(Stores, TortureFullDisk, testing::Values(5, 3000));

// Broken files in place of the store's four before a start: it starts quickly, keeps the lists'
// bytes aside, and works.
TEST(Torture, ABrokenStoreStartsQuicklyKeepsTheBytesAndWorks) {
    const std::pair<const char*, std::function<void(const QString& path)>> kinds[] = {
        // Not JSON at all reads as the truncated list does.
        {"truncated", [](const QString& p) { writeFile(p, R"([{"id":"6F1C2A3B-4D5E)"); }},
        // Valid JSON of another shape, in every one of the store's files.
        {"wrong_type", [](const QString& p) { writeFile(p, R"({"a":1})"); }},
        {"fifo", [](const QString& p) { ::mkfifo(QFile::encodeName(p).constData(), 0600); }},
        {"folder", [](const QString& p) { QDir().mkpath(p); }},
        {"unreadable", [](const QString& p) {
             writeFile(p, "[]");
             QFile::setPermissions(p, QFile::WriteOwner);
         }}};
    const QStringList files{"tasksData.data", "systemMessages.data", "keyIndexes.ints",
                            "startupSet.bool"};
    for (const auto& [kind, make] : kinds) {
        SCOPED_TRACE(kind);
        const QTemporaryDir config;
        std::map<QString, QByteArray> bytes;
        for (const QString& name : files) {
            QDir().mkpath(config.path() + "/Quenby");
            make(storePath(config.path(), name));
            bytes[name] = contents(storePath(config.path(), name));
        }
        QElapsedTimer started;
        started.start();
        App app(config.path());
        ASSERT_TRUE(app.waitForLine("viewDidAppear", 2s)) << app.output.constData();
        EXPECT_LT(started.elapsed(), 2000);
        for (const QString& list : {QString("tasksData"), QString("systemMessages")}) {
            const QStringList kept =
                QDir(config.path() + "/Quenby")
                    .entryList({list + ".unreadable-*"}, QDir::AllEntries | QDir::System);
            ASSERT_EQ(kept.size(), 1) << list.toStdString() << app.output.constData();
            EXPECT_EQ(contents(storePath(config.path(), kept[0])), bytes[list + ".data"]);
        }
        // The next action works and is stored: Done on the task on show.
        ASSERT_TRUE(xdotool({"key", "ctrl+alt+d"}));
        EXPECT_TRUE(E2E::waitUntil([&] {
            return std::ranges::any_of(storedTasks(config.path()), &Task::isDone);
        })) << app.output.constData();
        summary(kind, 1, 1, 0);
    }
}
