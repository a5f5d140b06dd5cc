// The real binary's command-line channel under what a hostile tester does: a panel out of
// reach, another user next to the store, many adds at once, cold starts racing each other, a
// full disk, oversized and hostile texts. Each group prints one summary line.
#include "Torture.h"

#include <QTemporaryDir>

#include <csignal>

using namespace Torture;

namespace {

using Env = QList<std::pair<QString, QString>>;

// The store's own lock file, which names the process that holds the store.
QString lockFile(const QString& config) {
    return config + QStringLiteral("/Quenby/quenby-instance.lock");
}

pid_t holder(const QString& config) {
    return readFile(lockFile(config)).split(' ').constFirst().toInt();
}

QString socketOf(const QString& config) {
    const QList<QByteArray> record = readFile(lockFile(config)).trimmed().split(' ');
    return record.size() == 2 ? QString::fromUtf8(QByteArray::fromPercentEncoding(record[1]))
                              : QString();
}

// `quenby ARGS` on the store under `config` (XDG_CONFIG_HOME), started but not waited for.
std::unique_ptr<QProcess> start(const QString& config, const QStringList& arguments,
                                const Env& env = {}) {
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    environment.insert(QStringLiteral("QUENBY_FEED_URL"), QString());
    for (const auto& [name, value] : env) {
        value.isNull() ? environment.remove(name) : environment.insert(name, value);
    }
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->start(QStringLiteral(QUENBY_BINARY), arguments);
    return process;
}

struct Ran {
    int status = -1;
    QByteArray output;
};

Ran finish(QProcess& process, std::chrono::milliseconds timeout = 60s) {
    Ran ran;
    if (process.waitForFinished(static_cast<int>(timeout.count())) &&
        process.exitStatus() == QProcess::NormalExit) {
        ran.status = process.exitCode();
    }
    ran.output = process.readAll();
    return ran;
}

Ran quenby(const QString& config, const QStringList& arguments, const Env& env = {}) {
    return finish(*start(config, arguments, env));
}

// How often each name is stored.
std::map<QString, int> storedNames(const QString& config) {
    std::map<QString, int> names;
    for (const Task& t : storedTasks(config)) {
        ++names[t.name];
    }
    return names;
}

// Adds `count` tasks "<prefix> i" at once; the answers by status.
std::map<int, int> addAtOnce(const QString& config, const QString& prefix, int count) {
    std::vector<std::unique_ptr<QProcess>> clients;
    for (int i = 0; i < count; ++i) {
        clients.push_back(start(config, {"--action", "add", prefix + QString::number(i)}));
    }
    std::map<int, int> answers;
    for (auto& client : clients) {
        const Ran ran = finish(*client);
        ++answers[ran.status];
        EXPECT_TRUE(ran.status == 0) << ran.output.constData();
    }
    return answers;
}

int storedOnce(const QString& config, const QString& prefix, int count) {
    const auto names = storedNames(config);
    int once = 0;
    for (int i = 0; i < count; ++i) {
        const auto found = names.find(prefix + QString::number(i));
        once += found != names.end() && found->second == 1;
    }
    return once;
}

// A panel on the store under `config`, seen to listen.
void startPanel(std::unique_ptr<App>& app, const QString& config) {
    app = std::make_unique<App>(config);
    ASSERT_TRUE(app->waitForLine("viewDidAppear")) << app->output.constData();
    ASSERT_TRUE(E2E::waitUntil([&] { return !socketOf(config).isEmpty(); }));
}

class Channel : public testing::Test {
protected:
    void startPanel() { ::startPanel(app, config.path()); }
    void TearDown() override {
        app.reset();
        // A panel a cold start began is no child of ours.
        if (const pid_t pid = holder(config.path()); pid > 0) {
            ::kill(pid, SIGKILL);
        }
    }

    QTemporaryDir config;
    std::unique_ptr<App> app;
};

} // namespace

TEST_F(Channel, APanelThatCannotBeReachedIsNamedAndTheStoreIsLeftAlone) {
    startPanel();
    waitForQuiet(storePath(config.path(), "tasksData.data"));
    ASSERT_TRUE(QFile::remove(socketOf(config.path())));
    const QDir store(config.path() + "/Quenby");
    const auto entries = [&] { return store.entryList(QDir::AllEntries | QDir::NoDotAndDotDot); };
    const QStringList before = entries();
    const QByteArray tasks = readFile(storePath(config.path(), "tasksData.data"));
    const QByteArray line = QStringLiteral("Quenby is already running for this store (process %1) "
                                           "in another session\n")
                                .arg(app->process.processId())
                                .toUtf8();
    for (const QStringList& arguments : {QStringList{}, QStringList{"--action", "add", "lost"}}) {
        const Ran ran = quenby(config.path(), arguments, {{"XDG_RUNTIME_DIR", QString()}});
        EXPECT_EQ(ran.status, 1) << arguments.join(' ').toStdString();
        EXPECT_TRUE(ran.output.endsWith(line)) << ran.output.constData();
        EXPECT_EQ(ran.output.count('\n'), ran.output.count("QStandardPaths") + 1);
    }
    EXPECT_EQ(entries(), before);
    EXPECT_EQ(readFile(storePath(config.path(), "tasksData.data")), tasks);
}

TEST_F(Channel, ManyAddsAtOnceAreAllAnsweredAndStoredOnce) {
    startPanel();
    const int count = rounds(40) < 200 ? 40 : 200;
    QElapsedTimer took;
    took.start();
    const auto answers = addAtOnce(config.path(), "parallel ", count);
    std::cout << "torture parallel adds: " << count << " in " << took.elapsed() << " ms"
              << std::endl;
    EXPECT_EQ(answers.at(0), count);
    const int once = storedOnce(config.path(), "parallel ", count);
    EXPECT_EQ(once, count);
    summary("parallel adds", count, answers.at(0), count - once);
}

TEST_F(Channel, ColdStartsAtOnceStartOnePanelAndStoreEveryAdd) {
    const int count = rounds(8) < 200 ? 8 : 50;
    QDir().mkpath(config.path() + "/Quenby");
    const auto answers = addAtOnce(config.path(), "cold ", count);
    EXPECT_EQ(answers.at(0), count);
    const int once = storedOnce(config.path(), "cold ", count);
    EXPECT_EQ(once, count);
    // Exactly one process of this binary holds the store: the panel.
    const pid_t panel = holder(config.path());
    ASSERT_GT(panel, 0);
    int panels = 0;
    for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
        const QByteArray variables = readFile("/proc/" + pid + "/environ");
        panels += QFileInfo("/proc/" + pid + "/exe").symLinkTarget() ==
                      QFileInfo(QUENBY_BINARY).canonicalFilePath() &&
                  variables.contains("XDG_CONFIG_HOME=" + config.path().toUtf8() + '\0');
    }
    EXPECT_EQ(panels, 1);
    summary("cold starts", count, answers.at(0), count - once);
}

TEST_F(Channel, EveryEnvironmentReachesTheOnePanel) {
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
        const Ran added = quenby(config.path(), {"--action", "add", name}, env);
        EXPECT_EQ(added.status, 0) << name << ": " << added.output.constData();
        EXPECT_EQ(storedNames(config.path())[name], 1) << name;
        // A second panel from there finds this one and ends.
        const Ran second = quenby(config.path(), {}, env);
        EXPECT_EQ(second.status, 0) << name;
        EXPECT_TRUE(second.output.endsWith("Quenby is already running\n"))
            << second.output.constData();
        reached += added.status == 0 && second.status == 0;
    }
    EXPECT_TRUE(app->running());
    summary("other environments", std::size(environments), reached,
            static_cast<int>(std::size(environments)) - reached);
}

TEST_F(Channel, TextsAreCutRefusedAndEscapedOutLoud) {
    seedTasks(config.path(), 0);
    startPanel();
    const QString longText = QString(150, u'x');
    const QString esc = QStringLiteral("\x1b[31mred\x1b]0;title\x07");
    // Arguments, exit status and the end of the output.
    const std::tuple<QStringList, int, QByteArray> cases[] = {
        {{"--action", "add", esc}, 0, "Added: \\x1b[31mred\\x1b]0;title\\x07\n"},
        {{"--action", "done"}, 0, "Done: \\x1b[31mred\\x1b]0;title\\x07\n"},
        {{"--action", "add", longText},
         0,
         "Added (cut to 100 characters): " + QByteArray(100, 'x') + '\n'},
        // As long as one argument may be (128 KiB).
        {{"--action", "add", QString(120000, u'y')}, 1, "more than the 65536 Quenby takes\n"},
    };
    for (const auto& [arguments, status, output] : cases) {
        const Ran ran = quenby(config.path(), arguments);
        EXPECT_EQ(ran.status, status) << ran.output.left(200).constData();
        EXPECT_TRUE(ran.output.endsWith(output)) << ran.output.left(200).constData();
        EXPECT_FALSE(ran.output.contains('\x1b'));
    }
    const auto names = storedNames(config.path());
    EXPECT_EQ(names.count(QString(100, u'x')), 1u);
    EXPECT_EQ(names.count(esc), 1u) << "stored as given; only the terminal sees it escaped";
    const auto tasks = storedTasks(config.path());
    EXPECT_TRUE(std::any_of(tasks.begin(), tasks.end(),
                            [&](const Task& t) { return t.name == esc && t.isDone; }));
    EXPECT_TRUE(std::none_of(names.begin(), names.end(),
                             [](const auto& n) { return n.first.startsWith(u'y'); }));
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
        const QByteArray line = "Quenby cannot start: " + config.path().toUtf8() +
                                "/Quenby is not a folder that only this user can write\n";
        for (const QStringList& arguments : {QStringList{}, QStringList{"--action", "add", "x"}}) {
            const Ran ran = quenby(config.path(), arguments);
            EXPECT_EQ(ran.status, 1) << mode;
            EXPECT_TRUE(ran.output.endsWith(line)) << ran.output.constData();
        }
    }
    EXPECT_TRUE(storedTasks(config.path()).empty());
}

TEST_F(OtherUser, NeitherEndTalksToAnotherUser) {
    startPanel();
    const QString socket = socketOf(config.path());
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
    const Ran swapped = quenby(config.path(), {"--action", "add", "my bank PIN is 1234"});
    EXPECT_EQ(swapped.status, 1);
    EXPECT_TRUE(swapped.output.endsWith(socket.toUtf8() + " is not a socket of this user's\n"))
        << swapped.output.constData();
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
    EXPECT_EQ(quenby(config.path(), {"--action", "add", "mine"}).status, 0);
    EXPECT_EQ(storedNames(config.path())["mine"], 1);
}

// As root: the store on a small tmpfs that fills up under an add.
class ChannelFullDisk : public FullDisk {};

TEST_F(ChannelFullDisk, AnAddHeldInMemoryIsSaidSoAndStoredWhenSpaceReturns) {
    seedTasks(config.path(), 3);
    std::unique_ptr<App> app;
    ASSERT_NO_FATAL_FAILURE(startPanel(app, config.path()));
    fill();
    const Ran held = quenby(config.path(), {"--action", "add", "held in memory"});
    EXPECT_EQ(held.status, 3) << held.output.constData();
    EXPECT_TRUE(held.output.endsWith("Added, but not saved yet: No space left on device\n"))
        << held.output.constData();
    EXPECT_EQ(storedNames(config.path()).count("held in memory"), 0u);
    QFile::remove(config.path() + "/filler");
    // Stored without another action, so a kill that follows loses nothing.
    ASSERT_TRUE(E2E::waitUntil(
        [&] { return storedNames(config.path()).count("held in memory") == 1; }, 10s));
    app->kill();
    app = std::make_unique<App>(config.path());
    ASSERT_TRUE(app->waitForLine("viewDidAppear")) << app->output.constData();
    EXPECT_EQ(storedNames(config.path())["held in memory"], 1);
    summary("full disk under --action add", 1, 1, 0);
}
