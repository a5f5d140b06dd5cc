// The task list window with 10,000 and 100,000 tasks, in-process on the offscreen platform:
// opening it to the first painted table, sorting by each column, the redraw after a panel
// action, export and import (every save included); and the peak memory of an import
// against the size of the file it reads: the reading and merging, and the whole action.
#include "BenchProcess.h"
#include "BenchTasks.h"
#include "Goals.h"
#include "store/DBManager.h"
#include "support/Memory.h"
#include "tasklist/ImportSample.h"
#include "tasklist/TaskCsv.h"
#include "tasklist/TaskTableModel.h"
#include "tasklist/TasksVC.h"
#include "tasks/TaskBoard.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTableView>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <map>
#include <vector>

namespace {

struct Size {
    int tasks;
    int repetitions;
};

// Open tasks with every fifth snoozed and every seventh done, as a list in use looks.
std::vector<Task> listInUse(int count) {
    std::vector<Task> tasks = openTasks(count);
    const Date later = systemNow().addingSeconds(86400);
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        if (i % 5 == 0) {
            tasks[i].isSnoozed = true;
            tasks[i].snoozedUntil = later.addingSeconds(static_cast<double>(i));
        }
        if (i % 7 == 0) {
            tasks[i].isDone = true;
            tasks[i].doneDate = Date{700'000'000.0 + static_cast<double>(2 * i)};
        }
    }
    return tasks;
}

// Every dialog answers with the same file.
class ChosenFile final : public FileDialogs {
public:
    explicit ChosenFile(QString path)
        : path_(std::move(path)) {}
    std::optional<QString> saveFile(QWidget*, const Request&) override { return path_; }
    std::optional<QString> openFile(QWidget*, const Request&) override { return path_; }

private:
    QString path_;
};

double msOf(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

double medianMs(
    int repetitions, const std::function<void()>& work,
    const std::function<void()>& prepare = [] {}) {
    std::vector<double> times;
    for (int i = 0; i < repetitions; ++i) {
        prepare();
        times.push_back(msOf(work));
        QCoreApplication::processEvents();
    }
    return Goals::median(times);
}

// A field of /proc/self/status in KiB.
long statusKiB(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field)) {
            return line.mid(static_cast<qsizetype>(std::strlen(field)))
                .trimmed()
                .split(' ')[0]
                .toLong();
        }
    }
    return 0;
}

// The most memory `work` added to what the process held before it, in bytes.
double peakBytesOf(const std::function<void()>& work) {
    releaseFreedMemory();
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    // 5 resets the peak resident size to the current one.
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1) {
        return -1;
    }
    clear.close();
    const long before = statusKiB("VmRSS:");
    work();
    return static_cast<double>(statusKiB("VmHWM:") - before) * 1024;
}

// Opens the window on `board` and returns once its table has been painted.
TasksVC* openWindow(TaskBoard& board, const TasksVC::Environment& env) {
    auto* window = new TasksVC(board, env);
    bool painted = false;
    struct PaintWatch : QObject {
        bool* seen;
        explicit PaintWatch(bool* s)
            : seen(s) {}
        bool eventFilter(QObject*, QEvent* e) override {
            *seen = *seen || e->type() == QEvent::Paint;
            return false;
        }
    } watch(&painted);
    window->tableView()->viewport()->installEventFilter(&watch);
    window->show();
    while (!painted) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    window->tableView()->viewport()->removeEventFilter(&watch);
    return window;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QTemporaryDir dir(QCoreApplication::applicationDirPath() + "/tasklist-bench-XXXXXX");
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    const QString file = dir.filePath("tasks.csv");
    TasksVC::Environment env;
    env.dialogs = std::make_shared<ChosenFile>(file);
    // The import preview accepted as it opens: its reading counts, the wait for a click not.
    env.importFormat = [](QWidget*, const QString& path) {
        return std::optional(ImportSample(path).suggestedFormat(U','));
    };

    std::map<int, std::map<std::string, double>> ms;
    // Peak memory over the file's size: reading and merging alone, and the whole import
    // (with the save of the longer list, the undo record and the redraw).
    std::map<int, double> readMemory;
    std::map<int, double> importMemory;
    std::printf("Task list window: median ms (first painted table; sort = one header click; "
                "redraw = reload, sort, table reset, visible rows drawn)\n");
    std::printf("%8s %8s %7s %7s %7s %7s %8s %10s %8s %8s %8s %9s %9s\n", "tasks", "open", "sort0",
                "sort1", "sort2", "sort3", "redraw", "format-all", "export", "import", "file MB",
                "read.peak", "imp.peak");
    for (const Size s : {Size{10000, 9}, Size{100000, 3}}) {
        const std::vector<Task> tasks = listInUse(s.tasks);
        DBManager::saveTaskList(tasks);
        TaskBoard board;
        board.load();
        board.setCurrentTask();
        auto& row = ms[s.tasks];
        row["open"] = medianMs(s.repetitions, [&] { delete openWindow(board, env); });
        TasksVC* window = openWindow(board, env);
        QTableView* table = window->tableView();
        for (int column = 0; column < 4; ++column) {
            row["sort" + std::to_string(column)] = medianMs(s.repetitions, [&] {
                window->mouseDownInHeaderOf(column);
                table->viewport()->repaint();
            });
        }
        window->mouseDownInHeaderOf(0);
        row["redraw"] = medianMs(
            s.repetitions,
            [&] {
                window->formatTasks();
                table->viewport()->repaint();
            },
            [&] { board.doneCurrent(); });
        // What drawing every row would cost, for comparison: rows are formatted when shown.
        const auto* model = static_cast<const TaskTableModel*>(table->model());
        row["format-all"] = medianMs(s.repetitions, [&] {
            for (int r = 0; r < model->rowCount(); ++r) {
                model->formattedTask(r);
            }
        });
        row["export"] =
            medianMs(s.repetitions, [&] { TaskCsv::exportTasks(file, window->tasks()); });
        const std::vector<Task> before = board.tasks();
        const auto restore = [&] { board.replaceTasks(before); };
        row["import"] = medianMs(
            s.repetitions,
            [&] {
                const QuietStdout quiet;
                window->importAction();
            },
            restore);
        restore();
        const double fileBytes = static_cast<double>(QFileInfo(file).size());
        readMemory[s.tasks] =
            peakBytesOf([&] { TaskCsv::importFile(file, window->tasks(), systemNow); }) / fileBytes;
        importMemory[s.tasks] = peakBytesOf([&] {
                                    const QuietStdout quiet;
                                    window->importAction();
                                }) /
                                fileBytes;
        delete window;
        std::printf(
            "%8d %8.1f %7.1f %7.1f %7.1f %7.1f %8.2f %10.1f %8.1f %8.1f %8.1f %8.1fx %8.1fx\n",
            s.tasks, row["open"], row["sort0"], row["sort1"], row["sort2"], row["sort3"],
            row["redraw"], row["format-all"], row["export"], row["import"], fileBytes / 1e6,
            readMemory[s.tasks], importMemory[s.tasks]);
    }

    // A hostile file: one row of forty million empty fields; the import keeps only the first.
    QFile hostile(file);
    if (hostile.open(QIODevice::WriteOnly)) {
        hostile.write("first field," + QByteArray(40'000'000, ','));
        hostile.close();
    }
    const double hostileBytes = static_cast<double>(QFileInfo(file).size());
    const double hostilePeak =
        peakBytesOf([&] { TaskCsv::importFile(file, {}, systemNow); }) / hostileBytes;
    std::printf("import of one row with 40,000,000 delimiters (%.1f MB): peak %.2fx the file\n",
                hostileBytes / 1e6, hostilePeak);

    // The window formats only the rows on screen; formatting all of them is shown beside it.
    const double refresh = ms[10000]["redraw"];
    std::printf("refresh of 10,000 rows: %.1f ms; formatting every row as well would add %.1f ms\n",
                refresh, ms[10000]["format-all"]);
    Goals::print("tasklist-refresh-10k", Goals::format("%.1fms", refresh), "30ms", refresh <= 30);
    const double open = ms[100000]["open"];
    Goals::print("tasklist-open-100k", Goals::format("%.0fms", open), "300ms", open <= 300);
    const double exported = ms[100000]["export"];
    Goals::print("export-100k", Goals::format("%.0fms", exported), "1000ms", exported <= 1000);
    const double imported = ms[100000]["import"];
    Goals::print("import-100k", Goals::format("%.0fms", imported), "1000ms", imported <= 1000);
    const double memory = readMemory[100000];
    Goals::print("import-memory-100k", Goals::format("%.1fx", memory), "5.0x", memory <= 5);
    Goals::print("import-memory-hostile", Goals::format("%.2fx", hostilePeak), "5.0x",
                 hostilePeak <= 5);
    return 0;
}
