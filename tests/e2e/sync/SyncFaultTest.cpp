#include "Builders.h"
#include "Processes.h"
#include "SyncDevice.h"

namespace {

// A hook that runs `act` once, before the `n`th request whose head starts with `verb` goes on.
DavProxy::Hook before(const QByteArray& verb, int n, std::function<void()> act) {
    return [verb, n, act, seen = 0](const QByteArray& request) mutable {
        if (request.startsWith(verb) && ++seen == n) {
            act();
        }
        return std::optional<QByteArray>();
    };
}

std::vector<Task> numbered(int count) {
    std::vector<Task> tasks;
    for (int i = 0; i < count; ++i) {
        tasks.push_back(makeTask(QStringLiteral("Task %1").arg(i), i));
    }
    return tasks;
}

// How many task resources the server holds.
std::size_t held(const CalDavServer& server) {
    CalDavClient client = server.client();
    const auto listed = client.changesFrom({});
    return std::get<CalDavClient::Changes>(listed).changed.size();
}

class Faults : public testing::TestWithParam<CalDavServer::Kind> {
protected:
    void SetUp() override { ASSERT_TRUE(server.start()); }
    CalDavServer server{GetParam()};
    Device a;
    Device b;
};

TEST_P(Faults, AServerStoppedMidSyncLeavesBothSidesConsistent) {
    a.tasks = numbered(10);
    server.intercept(before("PUT ", 4, [this] { server.stop(); }));
    EXPECT_NE(a.sync(server.client(), 100), QString());
    EXPECT_EQ(a.tasks.size(), 10u);
    server.intercept({});
    ASSERT_TRUE(server.start());
    EXPECT_EQ(a.sync(server.client(), 200), QString());
    EXPECT_EQ(b.sync(server.client(), 300), QString());
    EXPECT_EQ(marked(b.tasks), marked(a.tasks));
    EXPECT_EQ(held(server), 10u);
}

TEST_P(Faults, AWriteRefusedAsStaleIsMergedByTheNextSync) {
    a.tasks = {makeTask(QStringLiteral("Draft"), 10), makeTask(QStringLiteral("Other"), 11)};
    a.sync(server.client(), 100);
    b.sync(server.client(), 100);
    a.named(QStringLiteral("Draft")).name = QStringLiteral("Draft A");
    b.named(QStringLiteral("Draft")).isDone = true;
    // b's change reaches the server after a has pulled and before a pushes.
    server.intercept(
        before("PUT ", 1, [this] { EXPECT_EQ(b.sync(server.client(), 150), QString()); }));
    EXPECT_EQ(a.sync(server.client(), 200), QStringLiteral("HTTP 412"));
    server.intercept({});
    EXPECT_EQ(a.sync(server.client(), 300), QString());
    EXPECT_EQ(b.sync(server.client(), 400), QString());
    const QStringList expected{QStringLiteral("Draft A (done)"), QStringLiteral("Other")};
    EXPECT_EQ(marked(a.tasks), expected);
    EXPECT_EQ(marked(b.tasks), expected);
}

TEST_P(Faults, AKillBetweenPushAndStateSaveLeavesNoDuplicateAndNoLoss) {
    a.tasks = numbered(20);
    a.keep();
    QProcess device;
    server.intercept(before("PUT ", 6, [&device] {
        device.kill();
        device.waitForFinished();
    }));
    device.start(QStringLiteral(QUENBY_SYNC_DEVICE),
                 {a.dir.path(), server.collection().toString(), QStringLiteral("100")});
    EXPECT_TRUE(E2E::waitUntil([&] { return device.state() == QProcess::NotRunning; }));
    EXPECT_EQ(device.exitStatus(), QProcess::CrashExit);
    server.intercept({});
    a.restart();
    EXPECT_EQ(a.sync(server.client(), 200), QString());
    EXPECT_EQ(b.sync(server.client(), 300), QString());
    EXPECT_EQ(marked(b.tasks), marked(numbered(20)));
    EXPECT_EQ(marked(a.tasks), marked(numbered(20)));
    EXPECT_EQ(held(server), 20u);
}

INSTANTIATE_TEST_SUITE_P(Servers, Faults,
                         testing::Values(CalDavServer::Kind::Radicale,
                                         CalDavServer::Kind::Xandikos),
                         [](const auto& p) { return CalDavServer::name(p.param); });

TEST(SyncFault, AWrongPasswordChangesNeitherSide) {
    CalDavServer server(CalDavServer::Kind::Radicale);
    ASSERT_TRUE(server.start());
    Device a;
    Device b;
    a.tasks = {makeTask(QStringLiteral("Pay rent"), 10)};
    a.sync(server.client(), 100);
    a.named(QStringLiteral("Pay rent")).name = QStringLiteral("Pay the rent");
    const QByteArray state = SyncState::load(a.store).encode();
    EXPECT_EQ(a.sync(server.client(QStringLiteral("wrong")), 200),
              QStringLiteral("wrong user name or password"));
    EXPECT_EQ(SyncState::load(a.store).encode(), state);
    EXPECT_EQ(marked(a.tasks), QStringList{QStringLiteral("Pay the rent")});
    b.sync(server.client(), 300);
    EXPECT_EQ(marked(b.tasks), QStringList{QStringLiteral("Pay rent")});
}

} // namespace
