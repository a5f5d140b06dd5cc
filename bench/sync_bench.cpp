// CalDAV sync against a local Radicale: the first sync of 10,000 tasks to an empty collection
// (stopped after a minute: Radicale checks every stored item for a clashing UID on each
// write, so a first sync grows with the square of the count), then later syncs that each
// carry one change, on a collection of a few hundred tasks.
#include "BenchTasks.h"
#include "CalDavServer.h"
#include "Goals.h"
#include "store/PreferenceStore.h"
#include "sync/SyncEngine.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <cstdio>

namespace {

constexpr int firstCount = 10000;
constexpr std::chrono::seconds firstCap{60};
constexpr int changeCount = 300;
constexpr int laterSyncs = 7;

// A device: its task list and a store for its sync state.
struct Device {
    QTemporaryDir dir;
    PreferenceStore store{dir.path()};
    std::vector<Task> tasks;

    // Wall milliseconds of one sync with its state kept; -1 when it failed.
    double sync(const CalDavServer& server, double at) {
        const auto start = std::chrono::steady_clock::now();
        CalDavClient client = server.client();
        const SyncEngine::Outcome out =
            SyncEngine::run(client, tasks, SyncState::load(store), Date{at});
        tasks = out.tasks.value_or(tasks);
        const bool kept = out.state.save(store);
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        return out.failure.isEmpty() && kept ? took.count() : -1;
    }
};

// How many task resources the server holds.
std::size_t held(const CalDavServer& server) {
    CalDavClient client = server.client();
    const auto listed = client.changesFrom({});
    const auto* changes = std::get_if<CalDavClient::Changes>(&listed);
    return changes ? changes->changed.size() : 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    CalDavServer full(CalDavServer::Kind::Radicale);
    CalDavServer small(CalDavServer::Kind::Radicale);
    if (!full.start() || !small.start()) {
        return 1;
    }
    Device first;
    first.tasks = openTasks(firstCount);
    QTimer::singleShot(firstCap, [&full] { full.stop(); });
    const double firstMs = first.sync(full, 1000);
    std::size_t written = 0;
    if (firstMs < 0) {
        full.start();
        written = held(full);
    }

    Device later;
    later.tasks = openTasks(changeCount);
    const double seedMs = later.sync(small, 1000);
    std::vector<double> changes;
    for (int i = 0; i < laterSyncs && seedMs >= 0; ++i) {
        later.tasks[static_cast<size_t>(i * 37 % changeCount)].isDone = true;
        changes.push_back(later.sync(small, 2000 + i));
    }
    const double changeMs = Goals::median(changes);

    std::printf("CalDAV sync with a local Radicale (wall time)\n");
    std::printf("%-46s %14s\n", "case", "time");
    if (firstMs >= 0) {
        std::printf("%-46s %12.1f s\n", "first sync, 10,000 tasks", firstMs / 1000);
    } else {
        std::printf("%-46s %9s %d s (%zu of %d written)\n", "first sync, 10,000 tasks", ">",
                    static_cast<int>(firstCap.count()), written, firstCount);
    }
    std::printf("%-46s %12.1f s\n", "first sync, 300 tasks", seedMs / 1000);
    std::printf("%-46s %11.0f ms\n", "later sync, one change of 300 (median of 7)", changeMs);
    Goals::print("caldav-first-10k",
                 firstMs >= 0 ? Goals::format("%.1fs", firstMs / 1000)
                              : Goals::format(">%.0fs", static_cast<double>(firstCap.count())),
                 "20s", firstMs >= 0 && firstMs <= 20000);
    Goals::print("caldav-one-change", Goals::format("%.0fms", changeMs), "200ms",
                 seedMs >= 0 && changeMs <= 200);
    return 0;
}
