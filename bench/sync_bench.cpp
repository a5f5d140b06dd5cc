// CalDAV sync beside vdirsyncer, the established tool, on one local Radicale in the same run,
// each with an empty collection of its own: the first sync of 1,000 tasks, then later syncs
// that each carry one change, on a collection of 300 tasks. The server's cost per write
// (Radicale checks every stored item for a clashing UID) dominates a first sync, so only the
// ratio to the peer says anything about Quenby.
#include "BenchTasks.h"
#include "CalDavServer.h"
#include "Goals.h"
#include "ScopedEnv.h"
#include "store/PreferenceStore.h"
#include "sync/SyncEngine.h"
#include "sync/caldav/VTodo.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>

namespace {

using namespace std::chrono_literals;

constexpr int firstCount = 1000;
constexpr int changeCount = 300;
constexpr int laterSyncs = 7;

template <typename Work> double wallMs(Work work) {
    const auto start = std::chrono::steady_clock::now();
    const bool ok = work();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    return ok ? took.count() : -1;
}

// A device: its task list and a store for its sync state.
struct Device {
    QTemporaryDir dir;
    PreferenceStore store{dir.path()};
    std::vector<Task> tasks;

    // Wall milliseconds of one sync with its state kept; -1 when it failed.
    double sync(const QUrl& collection, const CalDavServer& server, double at) {
        return wallMs([&] {
            CalDavClient client(collection, server.credentials(), 30s);
            const SyncEngine::Outcome out =
                SyncEngine::run(client, tasks, SyncState::load(store), Date{at});
            tasks = out.tasks.value_or(tasks);
            return out.state.save(store) && out.failure.isEmpty();
        });
    }
};

// vdirsyncer keeping folders of the same tasks in step with collections, one pair each.
class Vdirsyncer {
public:
    explicit Vdirsyncer(const CalDavServer& server, const QStringList& pairs) {
        QByteArray config =
            "[general]\nstatus_path = \"" + dir_.filePath("status").toUtf8() + "\"\n";
        for (const QString& pair : pairs) {
            QDir(dir_.path()).mkpath(pair);
            config += QStringLiteral("[pair %1]\na = \"%1_local\"\nb = \"%1_remote\"\n"
                                     "collections = null\n"
                                     "[storage %1_local]\ntype = \"filesystem\"\npath = \"%2\"\n"
                                     "fileext = \".ics\"\n"
                                     "[storage %1_remote]\ntype = \"caldav\"\nurl = \"%3\"\n"
                                     "username = \"test\"\npassword = \"secret\"\n")
                          .arg(pair, dir_.filePath(pair),
                               server.root().resolved(QUrl("/test/" + pair + "/")).toString())
                          .toUtf8();
        }
        QFile file(dir_.filePath("config"));
        file.open(QIODevice::WriteOnly);
        file.write(config);
        file.close();
        run({"discover"});
    }
    // Puts `task` in the folder of `pair`, as todoman would.
    void write(const QString& pair, const Task& task, double at) const {
        QFile file(dir_.filePath(pair + "/" + task.id.toString(QUuid::WithoutBraces) + ".ics"));
        file.open(QIODevice::WriteOnly);
        file.write(VTodo::write(task, Date{at}));
    }
    double sync(const QString& pair) {
        return wallMs([&] { return run({"sync", pair}); });
    }

private:
    bool run(const QStringList& arguments) {
        const E2E::RunResult r = E2E::run("vdirsyncer", arguments, 30min);
        if (r.exitCode != 0) {
            std::fprintf(stderr, "vdirsyncer %s: %s\n", qPrintable(arguments.join(' ')),
                         qPrintable(r.output));
        }
        return r.exitCode == 0;
    }
    QTemporaryDir dir_;
    ScopedEnv config_{"VDIRSYNCER_CONFIG", dir_.filePath("config").toUtf8()};
};

QUrl collection(const CalDavServer& server, const QString& name) {
    return server.root().resolved(QUrl("/test/" + name + "/"));
}

std::string ratio(double quenby, double peer) {
    return Goals::format("%.2fx", quenby / peer);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    CalDavServer server(CalDavServer::Kind::Radicale);
    const QStringList names{"quenby_first", "peer_first", "quenby_change", "peer_change"};
    for (const QString& name : names) {
        server.addRadicaleCollection(
            name, R"({"tag": "VCALENDAR", "C:supported-calendar-component-set": "VTODO"})");
    }
    if (!server.start()) {
        return 1;
    }
    Vdirsyncer peer(server, {"peer_first", "peer_change"});

    Device first;
    first.tasks = openTasks(firstCount);
    for (const Task& t : openTasks(firstCount)) {
        peer.write("peer_first", t, 1000);
    }
    const double firstMs = first.sync(collection(server, "quenby_first"), server, 1000);
    const double peerFirstMs = peer.sync("peer_first");

    Device later;
    later.tasks = openTasks(changeCount);
    const double seedMs = later.sync(collection(server, "quenby_change"), server, 1000);
    std::vector<Task> peerTasks = openTasks(changeCount);
    for (const Task& t : peerTasks) {
        peer.write("peer_change", t, 1000);
    }
    const double peerSeedMs = peer.sync("peer_change");
    std::vector<double> changes;
    std::vector<double> peerChanges;
    for (int i = 0; i < laterSyncs && seedMs >= 0 && peerSeedMs >= 0; ++i) {
        const auto at = static_cast<size_t>(i * 37 % changeCount);
        later.tasks[at].isDone = true;
        changes.push_back(later.sync(collection(server, "quenby_change"), server, 2000 + i));
        peerTasks[at].isDone = true;
        peer.write("peer_change", peerTasks[at], 2000 + i);
        peerChanges.push_back(peer.sync("peer_change"));
    }
    const double changeMs = Goals::median(changes);
    const double peerChangeMs = Goals::median(peerChanges);

    std::printf("CalDAV sync beside vdirsyncer, one local Radicale (wall time)\n");
    std::printf("%-46s %12s %12s %8s\n", "case", "Quenby", "vdirsyncer", "ratio");
    std::printf("%-46s %10.1f s %10.1f s %7.2fx\n", "first sync, 1,000 tasks", firstMs / 1000,
                peerFirstMs / 1000, firstMs / peerFirstMs);
    std::printf("%-46s %10.1f s %10.1f s %7.2fx\n", "first sync, 300 tasks", seedMs / 1000,
                peerSeedMs / 1000, seedMs / peerSeedMs);
    std::printf("%-46s %9.0f ms %9.0f ms %7.2fx\n", "later sync, one change of 300 (median of 7)",
                changeMs, peerChangeMs, changeMs / peerChangeMs);
    const bool firstOk = firstMs >= 0 && peerFirstMs > 0;
    const bool changeOk = !changes.empty() && changeMs >= 0 && peerChangeMs > 0;
    Goals::print("caldav-first-1k-vs-vdirsyncer", ratio(firstMs, peerFirstMs), "1.10x",
                 firstOk && firstMs <= 1.1 * peerFirstMs);
    Goals::print("caldav-one-change-vs-vdirsyncer", ratio(changeMs, peerChangeMs), "0.25x",
                 changeOk && changeMs <= 0.25 * peerChangeMs);
    return 0;
}
