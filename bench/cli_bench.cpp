// 200 `quenby --action add` at once against a running panel (the real binary, offscreen),
// beside 200 single durable writes of the same list measured in the same run: what the
// group commit saves.
#include "BenchProcess.h"
#include "Goals.h"
#include "store/DBManager.h"
#include "store/PreferenceStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace {

constexpr int adds = 200;

QProcessEnvironment environmentFor(const QString& config) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    env.insert(QStringLiteral("QUENBY_FEED_URL"), QString());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

struct Round {
    double seconds = 0;
    int answeredZero = 0;
    int storedOnce = 0;
};

// The panel on a fresh store, then every add at once; nothing when the panel did not start.
std::optional<Round> parallelAdds() {
    const QTemporaryDir config;
    QProcess panel;
    panel.setProcessEnvironment(environmentFor(config.path()));
    panel.setStandardOutputFile(QProcess::nullDevice());
    panel.start(QStringLiteral(QUENBY_BINARY), {});
    panel.waitForStarted();
    const QString lock = config.path() + QStringLiteral("/Quenby/quenby-instance.lock");
    QElapsedTimer waited;
    waited.start();
    // Listening once the lock records its socket beside the process id.
    const auto listening = [&lock] {
        QFile f(lock);
        return f.open(QIODevice::ReadOnly) && f.readAll().trimmed().contains(' ');
    };
    while (!listening()) {
        if (waited.elapsed() > 30000 || panel.state() != QProcess::Running) {
            return std::nullopt;
        }
        QThread::msleep(20);
    }
    std::vector<std::unique_ptr<QProcess>> clients;
    QElapsedTimer took;
    took.start();
    for (int i = 0; i < adds; ++i) {
        auto& client = clients.emplace_back(std::make_unique<QProcess>());
        client->setProcessEnvironment(environmentFor(config.path()));
        client->start(QStringLiteral(QUENBY_BINARY),
                      {QStringLiteral("--action"), QStringLiteral("add"),
                       QStringLiteral("bench add %1").arg(i)});
    }
    Round round;
    for (auto& client : clients) {
        client->waitForFinished(120000);
        round.answeredZero +=
            client->exitStatus() == QProcess::NormalExit && client->exitCode() == 0;
    }
    round.seconds = static_cast<double>(took.nsecsElapsed()) / 1e9;
    QFile stored(config.path() + QStringLiteral("/Quenby/tasksData.data"));
    const auto tasks =
        stored.open(QIODevice::ReadOnly) ? Json::decodeTasks(stored.readAll()) : std::nullopt;
    for (int i = 0; tasks && i < adds; ++i) {
        round.storedOnce += std::count_if(tasks->begin(), tasks->end(), [i](const Task& t) {
                                return t.name == QStringLiteral("bench add %1").arg(i);
                            }) == 1;
    }
    panel.kill();
    panel.waitForFinished(5000);
    return round;
}

// The floor without grouping: the list growing by one task, stored after each.
double singleWrites() {
    const QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    std::vector<Task> tasks;
    QElapsedTimer took;
    took.start();
    {
        const QuietStdout quiet;
        for (int i = 0; i < adds; ++i) {
            Task task;
            task.id = QUuid::createUuid();
            task.name = QStringLiteral("bench add %1").arg(i);
            task.created = Date{8.0e8 + i};
            tasks.push_back(task);
            static_cast<void>(DBManager::saveTaskList(tasks));
        }
    }
    return static_cast<double>(took.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    const QCoreApplication app(argc, argv);
    constexpr int repetitions = 3;
    std::vector<double> parallel;
    std::vector<double> single;
    Round last;
    for (int i = 0; i < repetitions; ++i) {
        const auto round = parallelAdds();
        if (!round) {
            std::printf("the panel did not start\n");
            return 1;
        }
        last = *round;
        parallel.push_back(round->seconds);
        single.push_back(singleWrites());
    }
    std::printf("%-44s %12s\n", "200 adds (median of 3)", "seconds");
    std::printf("%-44s %12.3f\n", "200 parallel `quenby --action add`", Goals::median(parallel));
    std::printf("%-44s %12.3f\n", "200 single durable writes (no grouping)", Goals::median(single));
    std::printf("last round: answered 0: %d of %d, stored once: %d of %d\n", last.answeredZero,
                adds, last.storedOnce, adds);
    const double value = Goals::median(parallel);
    Goals::print("cli-200-adds", Goals::format("%.2fs", value), "2.0s",
                 value <= 2.0 && last.answeredZero == adds && last.storedOnce == adds);
    return 0;
}
