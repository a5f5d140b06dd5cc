// Panel actions with many stored tasks, in-process on the offscreen platform: the time of
// one Done, one hour snooze and one add commit, each including every save it makes; and
// the CPU the panel uses over ten idle minutes, with the refresh interval shortened.
#include "BenchTasks.h"
#include "Goals.h"
#include "HotKey/HotKeysController.h"
#include "MainInterface.h"
#include "store/DBManager.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>
#include <vector>

namespace {

struct Sizes {
    int tasks;
    int repetitions;
};

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// A panel on a fresh store holding `count` open tasks, shown.
struct Panel {
    explicit Panel(int count, std::chrono::milliseconds refresh = std::chrono::seconds(60)) {
        qputenv("XDG_CONFIG_HOME", store.path().toUtf8());
        DBManager::saveTaskList(openTasks(count));
        PanelEnvironment env;
        env.refreshInterval = refresh;
        ui = std::make_unique<MainInterface>(env);
        vc = &ui->viewController();
        ui->window().show();
        QCoreApplication::processEvents();
    }
    QPushButton* button(const char* name) const { return vc->findChild<QPushButton*>(name); }

    QTemporaryDir store{QCoreApplication::applicationDirPath() + "/panel-bench-XXXXXX"};
    std::unique_ptr<MainInterface> ui;
    ViewController* vc;
};

template <typename Action> double medianMs(int repetitions, Action action) {
    std::vector<double> times;
    for (int i = 0; i < repetitions; ++i) {
        QElapsedTimer timer;
        timer.start();
        action(i);
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        QCoreApplication::processEvents();
    }
    return Goals::median(times);
}

// Takes every shortcut in silence: the panel's actions are measured, not the desktop's keys.
class AcceptingHotKeyService final : public HotKeyService {
public:
    std::optional<Handle> registerHotKey(const KeyCombo&, EventHotKeyID,
                                         const HotKeyPurpose&) override {
        return next++;
    }
    void unregisterHotKey(Handle) override {}
    void installEventHandler(EventHandler) override {}

private:
    Handle next = 1;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    HotKeysController::setService(std::make_unique<AcceptingHotKeyService>());
    const std::vector<Sizes> sizes{{1000, 60}, {10000, 25}, {100000, 7}};
    std::map<int, double> worst;
    std::map<int, double> total;

    std::printf("Panel actions: median ms per action, every save included\n");
    std::printf("%10s %10s %10s %10s %12s %12s\n", "tasks", "done", "snooze", "add", "cpu/action",
                "stored MB");
    for (const Sizes& s : sizes) {
        Panel panel(s.tasks);
        const double mb =
            static_cast<double>(QFileInfo(panel.store.filePath("Quenby/tasksData.data")).size()) /
            1e6;
        // The CPU share shows how much of an action is work and how much waiting for the disk.
        const double cpuBefore = processCpuSeconds();
        const double done =
            medianMs(s.repetitions, [&](int) { panel.vc->doneAction(panel.button("doneButton")); });
        const double snooze = medianMs(
            s.repetitions, [&](int) { panel.vc->snoozeTask(panel.button("hourButton"), 1); });
        auto* field = panel.vc->findChild<QLineEdit*>("taskText");
        std::vector<double> adds;
        for (int i = 0; i < s.repetitions; ++i) {
            panel.vc->addAction(panel.button("addButton"));
            field->setText(QStringLiteral("A new task %1").arg(i));
            QElapsedTimer timer;
            timer.start();
            panel.vc->textAction();
            adds.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
            QCoreApplication::processEvents();
        }
        const double add = Goals::median(adds);
        const double cpuMs = (processCpuSeconds() - cpuBefore) * 1000 / (3.0 * s.repetitions);
        std::printf("%10d %10.2f %10.2f %10.2f %12.2f %12.1f\n", s.tasks, done, snooze, add, cpuMs,
                    mb);
        worst[s.tasks] = std::max({done, snooze, add});
        total[s.tasks] = done + snooze + add;
    }

    const double at10k = worst[10000];
    Goals::print("panel-action-10k", Goals::format("%.1fms", at10k), "25ms", at10k <= 25);
    // Linear growth: time grows with the list, not faster. Measured where the list's own
    // cost dominates the fixed cost of an action (from 10,000 to 100,000 tasks).
    const double growth = total[100000] / total[10000];
    const double exponent = std::log(growth) / std::log(10.0);
    std::printf("growth from 10,000 to 100,000 tasks: %.1fx time for 10x tasks (exponent %.2f)\n",
                growth, exponent);
    Goals::print("panel-scaling", Goals::format("exponent=%.2f", exponent), "exponent<=1.10",
                 exponent <= 1.10);

    // Ten idle minutes, each minute 100 ms long: ten refresh passes and nothing between them.
    const std::chrono::milliseconds minute(100);
    for (const int tasks : {0, 10000}) {
        Panel panel(tasks, minute);
        QTest::qWait(200);
        const double before = processCpuSeconds();
        QTest::qWait(static_cast<int>(10 * minute.count()));
        const double cpu = processCpuSeconds() - before;
        std::printf("ten idle minutes (10 passes), %d tasks: %.3f s CPU\n", tasks, cpu);
        if (tasks == 0) {
            Goals::print("idle-cpu", Goals::format("%.3fs", cpu), "0.050s", cpu <= 0.050);
        }
    }
    return 0;
}
