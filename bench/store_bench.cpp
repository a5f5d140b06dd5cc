// Save and load of task lists through DBManager beside the floor of the same run: one
// durable QSaveFile write of the same bytes, and one plain read of them.
#include "Goals.h"
#include "store/DBManager.h"
#include "store/PreferenceStore.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>
#include <random>

namespace {

const std::vector<int> sizes{1000, 10000, 100000};

std::vector<Task> makeTasks(int count) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> when(7.0e8, 8.0e8);
    std::vector<Task> tasks(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        Task& t = tasks[static_cast<size_t>(i)];
        t.id = QUuid::createUuid();
        t.name = QStringLiteral("Task number %1: call the plumber about the kitchen tap").arg(i);
        t.created = Date{when(rng)};
        if (i % 4 == 0) {
            t.isSnoozed = true;
            t.snoozedUntil = Date{when(rng)};
        }
        if (i % 3 == 0) {
            t.isDone = true;
            t.doneDate = Date{when(rng)};
        }
    }
    return tasks;
}

QString storedFile() {
    return PreferenceStore::standard().filePath(QStringLiteral("tasksData"),
                                                PreferenceStore::Kind::Data);
}

void save(benchmark::State& state, const std::vector<Task>& tasks) {
    for (auto _ : state) {
        DBManager::saveTaskList(tasks);
    }
    state.counters["bytes"] = static_cast<double>(QFile(storedFile()).size());
}

void load(benchmark::State& state, const std::vector<Task>& tasks) {
    DBManager::saveTaskList(tasks);
    for (auto _ : state) {
        const auto read = DBManager::getTaskList();
        if (read.size() != tasks.size()) {
            state.SkipWithError("load returned a different list");
        }
    }
}

void floorWrite(benchmark::State& state, const QByteArray& bytes) {
    const QString path = storedFile() + QStringLiteral(".floor");
    for (auto _ : state) {
        QSaveFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        file.commit();
    }
}

void floorRead(benchmark::State& state, const QByteArray& bytes) {
    const QString path = storedFile() + QStringLiteral(".floor");
    DBManager::saveTaskList({});
    {
        QFile out(path);
        out.open(QIODevice::WriteOnly);
        out.write(bytes);
    }
    for (auto _ : state) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        benchmark::DoNotOptimize(file.readAll());
    }
}

// Keeps the median of every benchmark, by name, while printing as usual.
class MedianCollector : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> medians;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.aggregate_name == "median") {
                medians[run.run_name.function_name] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());

    std::map<int, std::vector<Task>> lists;
    std::map<int, QByteArray> encoded;
    for (const int n : sizes) {
        lists[n] = makeTasks(n);
        encoded[n] = *Json::encodeTasks(lists[n]);
        const int reps = n >= 100000 ? 5 : 15;
        const auto reg = [&](const std::string& name, auto fn, const auto& arg) {
            benchmark::RegisterBenchmark((name + "/" + std::to_string(n)).c_str(),
                                         [fn, &arg](benchmark::State& s) { fn(s, arg); })
                ->Unit(benchmark::kMillisecond)
                ->Iterations(1)
                ->Repetitions(reps)
                ->ReportAggregatesOnly(true)
                ->UseRealTime();
        };
        reg("save", save, lists[n]);
        reg("floor_write", floorWrite, encoded[n]);
        reg("load", load, lists[n]);
        reg("floor_read", floorRead, encoded[n]);
    }

    benchmark::Initialize(&argc, argv);
    MedianCollector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();

    auto m = [&](const char* what, int n) {
        return collector.medians[std::string(what) + "/" + std::to_string(n)];
    };
    std::printf("\n%-8s %10s %10s %12s %8s %10s %12s\n", "tasks", "bytes", "save ms", "floor w ms",
                "save/fl", "load ms", "floor r ms");
    for (const int n : sizes) {
        std::printf("%-8d %10lld %10.2f %12.2f %7.2fx %10.2f %12.2f\n", n,
                    static_cast<long long>(encoded[n].size()), m("save", n), m("floor_write", n),
                    m("save", n) / m("floor_write", n), m("load", n), m("floor_read", n));
    }
    const double saveRatio = m("save", 10000) / m("floor_write", 10000);
    Goals::print("store-save-10k", Goals::format("%.2fx", saveRatio), "2.0x", saveRatio <= 2.0);
    Goals::print("store-load-10k", Goals::format("%.2fms", m("load", 10000)), "10ms",
                 m("load", 10000) <= 10.0);
    const double scaling =
        std::max(m("save", 100000) / m("save", 10000), m("load", 100000) / m("load", 10000));
    Goals::print("store-scaling", Goals::format("%.1fx", scaling), "12x", scaling <= 12.0);
    return 0;
}
