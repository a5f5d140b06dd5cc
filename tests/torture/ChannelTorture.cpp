// The real binary's command-line channel under what a hostile tester does: a panel out of
// reach, another user next to the store, many adds at once, cold starts racing each other,
// oversized and hostile texts (a full disk under an add: the store's torture). Each group
// prints one summary line.
#include "Torture.h"

#include <QDirIterator>
#include <QTemporaryDir>

#include <csignal>
#include <map>
#include <ranges>

using namespace Torture;

namespace {

// The store's own lock file: the process that holds the store, and its socket.
std::pair<pid_t, QString> lockRecord(const QString& config) {
    const QList<QByteArray> record =
        readFile(config + "/Quenby/quenby-instance.lock").trimmed().split(' ');
    return {record[0].toInt(), QString::fromUtf8(QByteArray::fromPercentEncoding(record.value(1)))};
}

// Everything below `dir` with its bytes and modification time.
std::map<QString, std::pair<QByteArray, qint64>> snapshot(const QString& dir) {
    std::map<QString, std::pair<QByteArray, qint64>> files;
    QDirIterator it(dir, QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files[path] = {readFile(path), QFileInfo(path).lastModified().toMSecsSinceEpoch()};
    }
    return files;
}

// Adds `count` tasks "<prefix> i" at once: how many were answered as added, and how many are
// stored once.
std::pair<int, int> addAtOnce(const QString& config, const QString& prefix, int count) {
    std::vector<std::unique_ptr<QProcess>> clients;
    for (int i = 0; i < count; ++i) {
        clients.push_back(start(config, {"--action", "add", prefix + QString::number(i)}));
    }
    int added = 0;
    for (auto& client : clients) {
        const E2E::RunResult ran = E2E::finish(*client, 60s);
        added += ran.exitCode == 0;
        EXPECT_EQ(ran.exitCode, 0) << ran.output.toStdString();
    }
    auto names = storedNames(config);
    const auto storedOnce = [&](int i) { return names[prefix + QString::number(i)] == 1; };
    return {added, static_cast<int>(std::ranges::count_if(std::views::iota(0, count), storedOnce))};
}

class Channel : public testing::Test {
protected:
    // A panel on the store, seen to listen.
    void startPanel() {
        app = std::make_unique<App>(config.path());
        ASSERT_TRUE(app->waitForLine("viewDidAppear")) << app->output.constData();
        ASSERT_TRUE(E2E::waitUntil([&] { return !lockRecord(config.path()).second.isEmpty(); }));
    }
    void TearDown() override {
        app.reset();
        // A panel a cold start began is no child of ours.
        if (const pid_t pid = lockRecord(config.path()).first; pid > 0) {
            ::kill(pid, SIGKILL);
        }
    }

    QTemporaryDir config;
    std::unique_ptr<App> app;
};

} // namespace

// Cold starts racing each other leave one panel, which then answers many adds at once.
TEST_F(Channel, ColdStartsAtOnceStartOnePanelAndEveryAddAtOnceIsStoredOnce) {
    const bool full = rounds(8) >= 200;
    QDir().mkpath(config.path() + "/Quenby");
    const std::tuple<const char*, QString, int> groups[] = {
        {"cold starts", "cold ", full ? 50 : 8}, {"parallel adds", "parallel ", full ? 200 : 40}};
    for (const auto& [group, prefix, count] : groups) {
        QElapsedTimer took;
        took.start();
        const auto [added, once] = addAtOnce(config.path(), prefix, count);
        std::cout << "torture " << group << ": " << count << " in " << took.elapsed() << " ms"
                  << std::endl;
        EXPECT_EQ(std::pair(added, once), std::pair(count, count)) << group;
        summary(group, count, added, count - once);
    }
    // Exactly one process of this binary holds the store: the panel.
    ASSERT_GT(lockRecord(config.path()).first, 0);
    const auto isPanel = [&](const QString& pid) {
        return QFileInfo("/proc/" + pid + "/exe").symLinkTarget() ==
                   QFileInfo(QUENBY_BINARY).canonicalFilePath() &&
               readFile("/proc/" + pid + "/environ")
                   .contains("XDG_CONFIG_HOME=" + config.path().toUtf8() + '\0');
    };
    EXPECT_EQ(std::ranges::count_if(QDir("/proc").entryList(QDir::Dirs), isPanel), 1);
}

TEST_F(Channel, EveryEnvironmentReachesTheOnePanelAndOneThatCannotIsNamed) {
    const QTemporaryDir runtime;
    const QTemporaryDir base;
    ASSERT_TRUE(QFile::link(config.path(), base.path() + "/linked"));
    startPanel();
    const std::pair<const char*, Env> environments[] = {
        {"another runtime folder", {{"XDG_RUNTIME_DIR", runtime.path()}, {"TMPDIR", base.path()}}},
        {"no runtime folder (cron, su)", {{"XDG_RUNTIME_DIR", QString()}}},
        {"a relative runtime folder", {{"XDG_RUNTIME_DIR", "run"}}},
        {"a linked config folder", {{"XDG_CONFIG_HOME", base.path() + "/linked"}}},
    };
    int reached = 0;
    for (const auto& [name, env] : environments) {
        const auto added = quenby(config.path(), {"--action", "add", name}, env);
        EXPECT_EQ(added.exitCode, 0) << name << ": " << added.output.toStdString();
        EXPECT_EQ(storedNames(config.path())[name], 1) << name;
        // Once the first start's saves are over (they end with the hints stored), a second panel
        // from there finds this one and ends, touching nothing.
        ASSERT_TRUE(waitForStored(config.path(), [](const std::vector<Task>& tasks) {
            return std::ranges::any_of(tasks, &Task::isTutorial);
        }));
        const auto before = snapshot(config.path());
        const auto second = quenby(config.path(), {}, env);
        EXPECT_EQ(second.exitCode, 0) << name;
        EXPECT_TRUE(second.output.endsWith("Quenby is already running\n"))
            << second.output.toStdString();
        EXPECT_EQ(snapshot(config.path()), before) << name;
        reached += added.exitCode == 0 && second.exitCode == 0;
    }
    EXPECT_TRUE(app->running());
    // Its socket gone, the panel cannot be reached: that is said, and the store left alone.
    ASSERT_TRUE(QFile::remove(lockRecord(config.path()).second));
    const auto before = snapshot(config.path());
    const QString line = QStringLiteral("Quenby is already running for this store (process %1) "
                                        "in another session\n")
                             .arg(app->process.processId());
    for (const QStringList& arguments : {QStringList{}, QStringList{"--action", "add", "lost"}}) {
        const auto ran = quenby(config.path(), arguments, {{"XDG_RUNTIME_DIR", QString()}});
        EXPECT_EQ(ran.exitCode, 1) << arguments.join(' ').toStdString();
        EXPECT_TRUE(ran.output.endsWith(line)) << ran.output.toStdString();
        EXPECT_EQ(ran.output.count('\n'), ran.output.count("QStandardPaths") + 1);
    }
    EXPECT_EQ(snapshot(config.path()), before);
    // Another user's store runs a panel of its own.
    const QTemporaryDir otherStore;
    App other(otherStore.path());
    EXPECT_TRUE(other.waitForLine("viewDidAppear")) << other.output.constData();
    summary("other environments", std::size(environments), reached,
            static_cast<int>(std::size(environments)) - reached);
}

// (Texts cut to a hundred characters: the panel's actions test.)
TEST_F(Channel, TextsAreRefusedAndEscapedOutLoud) {
    seedTasks(config.path(), 0);
    startPanel();
    const QString esc = QStringLiteral("\x1b[31mred\x1b]0;title\x07");
    // Arguments, exit status and the end of the output.
    const std::tuple<QStringList, int, QString> cases[] = {
        {{"--action", "add", esc}, 0, "Added: \\x1b[31mred\\x1b]0;title\\x07\n"},
        {{"--action", "done"}, 0, "Done: \\x1b[31mred\\x1b]0;title\\x07\n"},
        // As long as one argument may be (128 KiB).
        {{"--action", "add", QString(120000, u'y')}, 1, "more than the 65536 Quenby takes\n"},
    };
    for (const auto& [arguments, status, output] : cases) {
        const auto ran = quenby(config.path(), arguments);
        EXPECT_EQ(ran.exitCode, status) << ran.output.left(200).toStdString();
        EXPECT_TRUE(ran.output.endsWith(output)) << ran.output.left(200).toStdString();
        EXPECT_FALSE(ran.output.contains('\x1b'));
    }
    const auto tasks = storedTasks(config.path());
    EXPECT_TRUE(std::ranges::any_of(tasks, [&](const Task& t) {
        return t.name == esc && t.isDone;
    })) << "stored as given; only the terminal sees it escaped";
    EXPECT_TRUE(std::ranges::none_of(tasks, [](const Task& t) { return t.name.startsWith(u'y'); }));
    EXPECT_TRUE(app->running());
}

// As root: another user next to the store, as nobody (65534).
class OtherUser : public Channel {
protected:
    void SetUp() override {
        if (::geteuid() != 0) {
            GTEST_SKIP() << "torture other user: skipped, switching users needs root";
        }
    }
    const QStringList asNobody{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"};
};

TEST_F(OtherUser, FoldersTheyCanWriteAreRefused) {
    for (const char* mode : {"770", "707", "777"}) {
        QDir().mkpath(config.path() + "/Quenby");
        E2E::run("chmod", {mode, config.path() + "/Quenby"});
        const QString line = "Quenby cannot start: " + config.path() +
                             "/Quenby is not a folder that only this user can write\n";
        for (const QStringList& arguments : {QStringList{}, QStringList{"--action", "add", "x"}}) {
            const auto ran = quenby(config.path(), arguments);
            EXPECT_EQ(ran.exitCode, 1) << mode;
            EXPECT_TRUE(ran.output.endsWith(line)) << ran.output.toStdString();
        }
    }
    EXPECT_TRUE(storedTasks(config.path()).empty());
}

TEST_F(OtherUser, NeitherEndTalksToAnotherUser) {
    startPanel();
    const QString socket = lockRecord(config.path()).second;
    // Their listener, put where the panel's socket was (as a member of a group that could
    // write the folder would): it prints whatever reaches it.
    const QTemporaryDir theirFolder;
    E2E::run("chmod", {"777", theirFolder.path()});
    const QString theirs = theirFolder.path() + "/theirs.socket";
    QProcess spy;
    spy.setProcessChannelMode(QProcess::MergedChannels);
    spy.start("setpriv", asNobody + QStringList{"/usr/bin/python3", "-c",
                                                "import socket,os,sys\n"
                                                "s=socket.socket(socket.AF_UNIX)\n"
                                                "s.bind(sys.argv[1]);s.listen(5)\n"
                                                "print('listening',flush=True)\n"
                                                "while True:\n"
                                                " c,_=s.accept();c.settimeout(3)\n"
                                                " try: print('got',c.recv(4096),flush=True)\n"
                                                " except Exception: pass\n",
                                                theirs});
    ASSERT_TRUE(E2E::waitUntil([&] { return spy.readAll().contains("listening"); }));
    ASSERT_TRUE(QFile::rename(socket, socket + ".panel"));
    ASSERT_TRUE(QFile::rename(theirs, socket));
    const auto swapped = quenby(config.path(), {"--action", "add", "my bank PIN is 1234"});
    EXPECT_EQ(swapped.exitCode, 1);
    EXPECT_TRUE(swapped.output.endsWith(socket + " is not a socket of this user's\n"))
        << swapped.output.toStdString();
    QTest::qWait(200);
    EXPECT_FALSE(spy.readAll().contains("PIN"));
    spy.kill();
    spy.waitForFinished();

    // The other way round: their client on the panel's socket, opened to them, is refused.
    ASSERT_TRUE(QFile::remove(socket));
    ASSERT_TRUE(QFile::rename(socket + ".panel", socket));
    E2E::run("chmod", {"711", config.path(), config.path() + "/Quenby"});
    E2E::run("chmod", {"777", socket});
    const auto sent =
        E2E::run("setpriv",
                 asNobody + QStringList{"/usr/bin/python3", "-c",
                                        "import socket,sys\n"
                                        "s=socket.socket(socket.AF_UNIX);s.settimeout(5)\n"
                                        "s.connect(sys.argv[1])\n"
                                        "s.sendall(b'action theirs add sneaked%20in %20\\n')\n"
                                        "print('answer', s.recv(4096))\n",
                                        socket},
                 10s);
    // Cut off without an answer.
    EXPECT_FALSE(sent.output.contains("answer b'done")) << sent.output.toStdString();
    EXPECT_TRUE(app->waitForOutput("refused a connection from another user"));
    EXPECT_EQ(storedNames(config.path()).count("sneaked in"), 0u);
    // The owner still gets through.
    EXPECT_EQ(quenby(config.path(), {"--action", "add", "mine"}).exitCode, 0);
    EXPECT_EQ(storedNames(config.path())["mine"], 1);
}
