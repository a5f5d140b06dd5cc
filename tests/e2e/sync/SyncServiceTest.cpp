#include "sync/SyncService.h"
#include "CalDavServer.h"
#include "Processes.h"
#include "SyncDevice.h"
#include "TempConfigHome.h"
#include "sync/module/CalDavBackend.h"
#include "tasks/TaskBoard.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>

#include <gtest/gtest.h>

#include <atomic>
#include <semaphore>

namespace {

using namespace std::chrono_literals;

class SyncServiceTest : public testing::Test {
protected:
    void SetUp() override {
        server.start();
        board.load();
    }
    SyncService::Connection connection(
        const QUrl& to, const std::function<void()>& lookup = [] {}) const {
        return {to, QStringLiteral("test"), [lookup] {
                    lookup();
                    return SyncService::Password{QStringLiteral("secret"), {}};
                }};
    }
    // A server that takes the request and never answers.
    QUrl silentServer() {
        EXPECT_TRUE(silent.listen(QHostAddress::LocalHost));
        return QUrl(QStringLiteral("http://127.0.0.1:%1/c/").arg(silent.serverPort()));
    }
    // Waits for the next sync to end.
    bool synced() {
        QSignalSpy finished(&service, &SyncService::syncFinished);
        return finished.wait(10000);
    }
    QStringList there() {
        EXPECT_EQ(phone.sync(server.client(), board.now().secondsSinceReferenceDate + 60),
                  QString());
        return marked(phone.tasks);
    }

    TempConfigHome home;
    CalDavServer server{CalDavServer::Kind::Radicale};
    // The board's clock, when a test sets it.
    std::optional<Date> frozen;
    TaskBoard board{[this] { return frozen.value_or(systemNow()); }};
    SyncService service{board,
                        std::make_shared<CalDavBackend>(),
                        PreferenceStore::standard(),
                        {.settle = 200ms, .interval = 1h}};
    Device phone;
    QTcpServer silent;
};

// A change goes out once the list settles, and the server's copy says when it was made, not
// when it went out; one made while a sync runs is kept.
TEST_F(SyncServiceTest, LocalAndRemoteChangesMeetAndTutorialsStayHere) {
    board.addTask("Pay rent");
    service.syncWith(connection(server.collection()));
    ASSERT_TRUE(synced());
    EXPECT_EQ(service.status(), "Synced " + QDateTime::currentDateTime().toString("HH:mm"));
    EXPECT_EQ(there(), QStringList{"Pay rent"});

    QSignalSpy finished(&service, &SyncService::syncFinished);
    frozen = Date::fromUnixSeconds(1'800'000'000);
    board.addTask("Call mum");
    frozen = frozen->addingSeconds(3600);
    EXPECT_FALSE(finished.wait(100)) << "went out before the list settled";
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(there(), QStringList({"Call mum", "Pay rent"}));
    const std::vector<CalDavClient::Resource> listed = server.listed();
    const auto sent = std::ranges::find_if(
        listed, [](const auto& r) { return r.ics.contains("SUMMARY:Call mum"); });
    ASSERT_NE(sent, listed.cend());
    EXPECT_TRUE(sent->ics.contains("\r\nLAST-MODIFIED:20270115T080000Z\r\n")) << sent->ics.data();
    EXPECT_TRUE(sent->ics.contains("\r\nDTSTAMP:20270115T090000Z\r\n"));

    phone.named("Pay rent").isDone = true;
    there();
    service.syncNow();
    // The same task on both devices: renamed here while the sync brings its being done.
    board.rename(phone.named("Pay rent").id, "Pay the rent");
    ASSERT_TRUE(synced());
    ASSERT_TRUE(synced());
    const QStringList both{"Call mum", "Pay the rent (done)"};
    EXPECT_EQ(marked(board.tasks()), both);
    EXPECT_EQ(there(), both);
}

TEST_F(SyncServiceTest, StoppingEndsTheRunningSyncAndDisregardsIt) {
    service.syncWith(connection(silentServer()));
    ASSERT_TRUE(silent.waitForNewConnection(5000));
    QSignalSpy finished(&service, &SyncService::syncFinished);
    service.stopSyncing();
    ASSERT_TRUE(finished.wait(5000)) << "the request went on after the stop";
    EXPECT_FALSE(QFile::exists(home.storeFile("syncState.data")));
    EXPECT_EQ(service.status(), QString());
}

// Quitting while the sync thread waits for a server that never answers, or is stuck in a
// password lookup that never returns (a FIFO, a hung secret store).
TEST_F(SyncServiceTest, QuittingTakesUnderTwoSecondsWhateverTheSyncWaitsFor) {
    const QUrl url = silentServer();
    for (const bool stuckInLookup : {false, true}) {
        std::binary_semaphore release{0};
        std::atomic<QThread*> stuck = nullptr;
        QElapsedTimer clock;
        {
            SyncService waiting{board,
                                std::make_shared<CalDavBackend>(),
                                PreferenceStore::standard(),
                                {.requestTimeout = 60s}};
            waiting.syncWith(connection(url, [&, stuckInLookup] {
                if (stuckInLookup) {
                    stuck = QThread::currentThread();
                    release.acquire();
                }
            }));
            ASSERT_TRUE(stuckInLookup ? E2E::waitUntil([&] { return stuck != nullptr; })
                                      : silent.waitForNewConnection(5000));
            clock.start();
        }
        EXPECT_LT(clock.elapsed(), 2000) << (stuckInLookup ? "in the lookup" : "on the server");
        if (stuckInLookup) {
            // The thread left behind ends once the lookup does, and goes.
            const QPointer<QThread> left(stuck.load());
            release.release();
            EXPECT_TRUE(E2E::waitUntil([&] { return left.isNull(); }));
        }
    }
}

} // namespace
