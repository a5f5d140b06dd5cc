// The sync engine against a collection in memory: edits merged by when they were made, no
// change by others hidden by our own writes, and mass removals held until the user accepts.
#include "Builders.h"
#include "FakeCollection.h"
#include "SyncDevice.h"
#include "store/PreferenceStore.h"
#include "store/StoreKeys.h"
#include "sync/RemovedTasks.h"
#include "sync/SyncEngine.h"
#include "sync/caldav/VTodo.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Deletions = SyncEngine::Deletions;

// One sync with a collection in memory, which must go through.
SyncEngine::Outcome sync(Device& device, FakeCollection& server,
                         Deletions deletions = Deletions::Guarded, double at = 1000) {
    SyncEngine::Outcome out = device.run(server, at, deletions);
    EXPECT_EQ(out.failure, QString());
    return out;
}

// `count` tasks, synced with `server`, whose count of writes starts afresh. Their creation
// times have fractions the server's whole seconds drop, which is no change here.
void seed(Device& device, FakeCollection& server, int count) {
    for (int i = 0; i < count; ++i) {
        device.tasks.push_back(
            makeTask(QStringLiteral("Task %1").arg(i, 2, 10, QLatin1Char('0')), i + 0.6));
    }
    sync(device, server);
    EXPECT_EQ(device.tasks.front().created, Date{0.6});
    server.writes = 0;
}

// Another client removes the first `count` resources.
void dropFirst(FakeCollection& server, int count) {
    for (const QString& href : server.hrefs().mid(0, count)) {
        server.drop(href);
    }
}

struct Mode {
    const char* label;
    bool syncReports;
    bool forgetsTokens;
    bool contentTokens = false;
};

class SyncGuard : public testing::TestWithParam<Mode> {};

TEST_P(SyncGuard, HoldsMassRemovalUntilAcceptedAndAppliesEverythingElse) {
    FakeCollection server;
    Device device;
    seed(device, server, 10);
    server.syncReports = GetParam().syncReports;
    server.forgetsTokens = GetParam().forgetsTokens;
    dropFirst(server, 8);
    const QString survivor = server.hrefs().constLast();
    Task renamed = std::get<VTodo::Resource>(VTodo::read(server.text(survivor))).task;
    renamed.name = "Renamed there";
    server.store(survivor, VTodo::write(renamed, Date{900}));
    server.store("/c/new.ics", VTodo::write(makeTask("New there", 50), Date{900}));

    for (int round = 0; round < 3; ++round) {
        const SyncEngine::Outcome out = sync(device, server);
        // Any write would send a held task up again.
        EXPECT_EQ(std::tuple(out.held, out.synced, device.tasks.size(), out.removed.size(),
                             server.writes),
                  std::tuple(8, round == 0 ? 10 : 11, 11u, 0u, 0))
            << round;
    }
    const QStringList kept = names(device.tasks);
    EXPECT_TRUE(kept.contains("Renamed there") && kept.contains("New there"))
        << kept.join(u',').toStdString();

    // Once held, they stay held whatever their share of the list.
    for (int i = 0; i < 20; ++i) {
        device.tasks.push_back(makeTask(QStringLiteral("Added %1").arg(i), 200));
    }
    const auto stillHeld = sync(device, server).held;
    EXPECT_EQ(std::tuple(stillHeld, server.writes, device.tasks.size()), std::tuple(8, 20, 31u));

    const SyncEngine::Outcome accepted = sync(device, server, Deletions::Accepted);
    EXPECT_EQ(std::tuple(accepted.held, accepted.removed.size(), device.tasks.size(),
                         device.state().held.isEmpty()),
              std::tuple(0, 8u, 23u, true));
    const auto heldAfter = sync(device, server).held;
    EXPECT_EQ(std::tuple(heldAfter, server.writes, device.tasks.size()), std::tuple(0, 20, 23u));
}

INSTANTIATE_TEST_SUITE_P(Servers, SyncGuard,
                         testing::Values(Mode{"SyncReports", true, false},
                                         Mode{"TokensForgotten", true, true},
                                         Mode{"EtagsOnly", false, false}),
                         [](const auto& p) { return std::string(p.param.label); });

TEST(SyncGuard, HoldsMoreThanHalfAndAtLeastFive) {
    // Tasks synced, tasks dropped by another client, and whether they are held.
    for (const auto& [synced, dropped, held] :
         {std::tuple{10, 5, false}, {10, 6, true}, {4, 4, false}, {9, 5, true}, {5, 5, true}}) {
        FakeCollection server;
        Device device;
        seed(device, server, synced);
        dropFirst(server, dropped);
        const SyncEngine::Outcome out = sync(device, server);
        EXPECT_EQ(std::tuple(out.held, out.removed.size(), device.tasks.size()),
                  std::tuple(held ? dropped : 0, std::size_t(held ? 0 : dropped),
                             std::size_t(held ? synced : synced - dropped)))
            << dropped << " of " << synced;
    }
}

class SyncMerge : public testing::TestWithParam<Mode> {
protected:
    SyncMerge() {
        server.syncReports = GetParam().syncReports;
        server.forgetsTokens = GetParam().forgetsTokens;
        server.contentTokens = GetParam().contentTokens;
    }
    FakeCollection server;
    Device a;
    Device b;
};

// Three devices edit the same task offline: the latest edit wins everywhere, whichever
// device syncs last, and fields changed on one side only are kept; an edit outlives a
// deletion elsewhere, whichever syncs first; an unchanged task deleted here goes everywhere.
TEST_P(SyncMerge, TheLaterEditWinsByWhenItWasMade) {
    for (const char* name : {"Draft", "Keep me", "Kept too", "Gone"}) {
        a.tasks.push_back(makeTask(QString::fromUtf8(name), 10));
    }
    sync(a, server, Deletions::Guarded, 100);
    sync(b, server, Deletions::Guarded, 100);
    const QUuid draft = a.tasks.front().id;
    a.edit(200, [](Device& d) { d.named("Draft").name = "Draft A"; });
    b.edit(202, [](Device& d) {
        d.named("Draft").name = "Draft B";
        d.named("Draft B").isDone = true;
    });
    a.edit(203, [](Device& d) {
        d.named("Kept too").isDone = true;
        d.remove("Keep me");
    });
    b.edit(204, [](Device& d) {
        d.named("Keep me").isDone = true;
        d.remove("Kept too");
        d.remove("Gone");
    });
    // The third device, another client, renames it last and syncs first.
    Task third = a.tasks.front();
    third.name = "Draft C";
    const SyncState::Item known = a.state().items.value(draft);
    server.store(known.href, VTodo::write(third, Date{205}, known.ics));
    for (Device* d : {&a, &b, &a}) {
        sync(*d, server, Deletions::Guarded, 900);
    }
    for (Device* d : {&a, &b}) {
        EXPECT_EQ(marked(d->tasks),
                  QStringList({"Draft C (done)", "Keep me (done)", "Kept too (done)"}));
    }

    // B's later edit against A's earlier one, B syncing first: stamped with its own time.
    a.edit(300, [](Device& d) { d.named("Draft C").name = "Early"; });
    b.edit(301, [](Device& d) { d.named("Draft C").name = "Late"; });
    sync(b, server, Deletions::Guarded, 900);
    sync(a, server, Deletions::Guarded, 1000);
    EXPECT_TRUE(names(a.tasks).contains("Late"));
    const QByteArray there = server.text(a.state().items.value(draft).href);
    EXPECT_TRUE(there.contains("LAST-MODIFIED:20010101T000501Z")) << there.toStdString();
    EXPECT_TRUE(a.state().edited.at.isEmpty()) << "settled edits keep their times";

    // A task written here and removed by another client right after: the removal arrives,
    // even though the collection comes back to the contents it had before our write.
    a.tasks.push_back(makeTask("Short-lived", 10));
    const QUuid shortLived = a.tasks.back().id;
    sync(a, server);
    server.drop(a.state().items.value(shortLived).href);
    sync(a, server);
    EXPECT_EQ(std::tuple(names(a.tasks).contains("Short-lived"), server.hrefs().size()),
              std::tuple(false, 3));
}

// A sync cut off after some of its writes went out: the connection lost (what it brought kept,
// as the service keeps it), or the device killed before it stored the sync state, with or
// without the task list. The next sync leaves every task on both sides, once.
TEST_P(SyncMerge, ACutOffSyncLeavesNoDuplicateAndNoLoss) {
    // The writes that go through, and whether the task list and the sync state are stored.
    for (const auto& [label, writes, keepTasks, keepState] :
         {std::tuple{"connection lost", 3, true, true},
          {"killed mid-push", 3, false, false},
          {"killed after pushing", -1, false, false},
          {"killed after storing the tasks", -1, true, false}}) {
        FakeCollection shared;
        shared.syncReports = server.syncReports;
        shared.contentTokens = server.contentTokens;
        Device here;
        Device phone;
        phone.tasks = {makeTask("From the phone", 1)};
        sync(phone, shared);
        QStringList all{"From the phone"};
        for (int i = 0; i < 6; ++i) {
            here.tasks.push_back(makeTask(QStringLiteral("Task %1").arg(i), i));
            all.append(here.tasks.back().name);
        }
        shared.writesLeft = writes;
        const SyncEngine::Outcome cut =
            SyncEngine::run(shared, here.tasks, here.state(), Date{500});
        EXPECT_EQ(cut.failure.isEmpty(), writes < 0) << label;
        here.tasks = keepTasks ? cut.tasks.value_or(here.tasks) : here.tasks;
        ASSERT_TRUE(!keepState || cut.state.save(here.store));
        shared.writesLeft = -1;
        sync(here, shared);
        sync(phone, shared);
        for (Device* d : {&here, &phone}) {
            EXPECT_EQ(marked(d->tasks), all) << label;
        }
        EXPECT_EQ(shared.hrefs().size(), 7) << label;
    }
}

INSTANTIATE_TEST_SUITE_P(Servers, SyncMerge,
                         testing::Values(Mode{"SyncReports", true, false, false},
                                         Mode{"ContentTokens", true, false, true},
                                         Mode{"EtagsOnly", false, false, false}),
                         [](const auto& p) { return std::string(p.param.label); });

TEST(RemovedTasks, KeepsTheLastTenSyncsForThirtyDaysWholeAndNeverOverwritesAnUnreadableValue) {
    const QTemporaryDir dir;
    const PreferenceStore store(dir.path());
    constexpr double day = 86400;
    const Task full = makeSnoozed("Sync 11", 5, Date{9 * day});
    for (int i = 0; i < 12; ++i) {
        const Task t = i == 11 ? markedDone(full) : makeTask(QStringLiteral("Sync %1").arg(i), i);
        ASSERT_TRUE(RemovedTasks::add(store, {t}, Date{i * day}));
    }
    const QStringList latest{"Sync 11", "Sync 10", "Sync 9", "Sync 8", "Sync 7",
                             "Sync 6",  "Sync 5",  "Sync 4", "Sync 3", "Sync 2"};
    const std::vector<Task> kept = RemovedTasks::kept(store, Date{11 * day});
    EXPECT_EQ(names(kept), latest);
    EXPECT_EQ(Json::encodeTasks({kept.front()}), Json::encodeTasks({markedDone(full)}));
    EXPECT_EQ(names(RemovedTasks::kept(store, Date{40.5 * day})), latest.mid(0, 1));

    ASSERT_TRUE(store.setData(StoreKeys::syncRemovedTasks, "[{\"at\": 1, \"tasks\": 7}]"));
    ASSERT_TRUE(RemovedTasks::add(store, {makeTask("After", 1)}, Date{50 * day}));
    EXPECT_EQ(names(RemovedTasks::kept(store, Date{50 * day})), QStringList{"After"});
    EXPECT_EQ(QDir(dir.path()).entryList({"syncRemovedTasks.unreadable-*"}).size(), 1);
}

} // namespace
