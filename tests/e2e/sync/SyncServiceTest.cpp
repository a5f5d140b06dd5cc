#include "sync/SyncService.h"
#include "Builders.h"
#include "CalDavServer.h"
#include "Processes.h"
#include "SyncDevice.h"
#include "TempConfigHome.h"
#include "store/StoreKeys.h"
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
    SyncService::Connection connection() const {
        return {server.collection(), QStringLiteral("test"), [] {
                    return SyncService::Password{QStringLiteral("secret"), {}};
                }};
    }
    // Waits for the next sync to end.
    bool synced() {
        QSignalSpy finished(&service, &SyncService::syncFinished);
        return finished.wait(10000);
    }
    // The synced tasks: all but the tutorial.
    QStringList here() const {
        std::vector<Task> tasks = board.tasks();
        std::erase_if(tasks, [](const Task& t) { return t.isTutorial; });
        return marked(tasks);
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
};

TEST_F(SyncServiceTest, LocalAndRemoteChangesMeetAndTutorialsStayHere) {
    board.addTask(QStringLiteral("Pay rent"));
    service.syncWith(connection());
    ASSERT_TRUE(synced());
    EXPECT_EQ(service.status(), QStringLiteral("Synced ") +
                                    QDateTime::currentDateTime().toString(QStringLiteral("HH:mm")));
    EXPECT_EQ(there(), QStringList{QStringLiteral("Pay rent")});

    QSignalSpy finished(&service, &SyncService::syncFinished);
    board.addTask(QStringLiteral("Call mum"));
    EXPECT_FALSE(finished.wait(100)) << "went out before the list settled";
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(there(), QStringList({QStringLiteral("Call mum"), QStringLiteral("Pay rent")}));

    phone.named(QStringLiteral("Pay rent")).isDone = true;
    there();
    service.syncNow();
    ASSERT_TRUE(synced());
    EXPECT_EQ(here(), QStringList({QStringLiteral("Call mum"), QStringLiteral("Pay rent (done)")}));
}

// The server's copy says when the change was made, not when it went out.
TEST_F(SyncServiceTest, AChangeCarriesTheTimeItWasMade) {
    service.syncWith(connection());
    ASSERT_TRUE(synced());
    frozen = Date::fromUnixSeconds(1'800'000'000);
    board.addTask(QStringLiteral("Pay rent"));
    frozen = frozen->addingSeconds(3600);
    ASSERT_TRUE(synced());
    const std::vector<CalDavClient::Resource> listed = server.listed();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_TRUE(listed[0].ics.contains("\r\nLAST-MODIFIED:20270115T080000Z\r\n"))
        << listed[0].ics.toStdString();
    EXPECT_TRUE(listed[0].ics.contains("\r\nDTSTAMP:20270115T090000Z\r\n"));
}

TEST_F(SyncServiceTest, AnEditDuringASyncIsKept) {
    board.addTask(QStringLiteral("Draft"));
    service.syncWith(connection());
    ASSERT_TRUE(synced());
    there();
    phone.named(QStringLiteral("Draft")).isDone = true;
    there();

    const QUuid draft = std::find_if(board.tasks().begin(), board.tasks().end(), [](auto& t) {
                            return t.name == QStringLiteral("Draft");
                        })->id;
    service.syncNow();
    board.rename(draft, QStringLiteral("Draft two"));
    ASSERT_TRUE(synced());
    ASSERT_TRUE(synced());
    EXPECT_EQ(here(), QStringList{QStringLiteral("Draft two (done)")});
    EXPECT_EQ(there(), QStringList{QStringLiteral("Draft two (done)")});
}

TEST_F(SyncServiceTest, StoppingEndsTheRunningSyncAndDisregardsIt) {
    QTcpServer silent; // takes the request and never answers
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    service.syncWith({QUrl(QStringLiteral("http://127.0.0.1:%1/c/").arg(silent.serverPort())),
                   QStringLiteral("test"), [] {
                       return SyncService::Password{QStringLiteral("secret"), {}};
                   }});
    ASSERT_TRUE(silent.waitForNewConnection(5000));
    QSignalSpy finished(&service, &SyncService::syncFinished);
    service.stopSyncing();
    ASSERT_TRUE(finished.wait(5000)) << "the request went on after the stop";
    EXPECT_FALSE(QFile::exists(
        PreferenceStore::standard().filePath(StoreKeys::syncState, PreferenceStore::Kind::Data)));
    EXPECT_EQ(service.status(), QString());
}

// A device killed after its sync reached the server, before it stored the sync state;
// the parameter says whether it stored the tasks first.
class KilledMidSync : public SyncServiceTest, public testing::WithParamInterface<const char*> {};

TEST_P(KilledMidSync, RestartsWithoutLossOrDuplicate) {
    board.addTask(QStringLiteral("One"));
    phone.tasks = {makeTask(QStringLiteral("From the phone"), 10)};
    there();
    board.addTask(QStringLiteral("Two"));
    const E2E::RunResult killed =
        E2E::run(QStringLiteral(QUENBY_PUSH_AND_DIE), {server.collection().toString(), GetParam()});
    EXPECT_EQ(killed.exitCode, -1) << killed.output.toStdString();

    board.load();
    service.syncWith(connection());
    ASSERT_TRUE(synced());
    const QStringList all{QStringLiteral("From the phone"), QStringLiteral("One"),
                          QStringLiteral("Two")};
    EXPECT_EQ(here(), all);
    EXPECT_EQ(there(), all);
    EXPECT_EQ(server.listed().size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Stored, KilledMidSync, testing::Values("nothing", "tasks-stored"));

// Quitting while the sync thread waits for a server that never answers, or is stuck in a
// password lookup that never returns (a FIFO, a hung secret store).
TEST_F(SyncServiceTest, QuittingTakesUnderTwoSecondsWhateverTheSyncWaitsFor) {
    QTcpServer silent; // takes the request and never answers
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    for (const bool stuckInLookup : {false, true}) {
        std::binary_semaphore release{0};
        std::atomic<QThread*> stuck = nullptr;
        QElapsedTimer clock;
        {
            SyncService waiting{board,
                                std::make_shared<CalDavBackend>(),
                                PreferenceStore::standard(),
                                {.requestTimeout = 60s}};
            waiting.syncWith({QUrl(QStringLiteral("http://127.0.0.1:%1/c/").arg(silent.serverPort())),
                           QStringLiteral("test"), [&, stuckInLookup] {
                               if (stuckInLookup) {
                                   stuck = QThread::currentThread();
                                   release.acquire();
                               }
                               return SyncService::Password{QStringLiteral("secret"), {}};
                           }});
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
