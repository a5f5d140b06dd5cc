// Start-up to the first frame and resident memory of Quenby beside the floor program (a
// minimal Qt Widgets window of the panel's shape), both on a private Xvfb display in the
// same run, with an empty store, 10,000 and 100,000 tasks (and 10,000 at a first launch); then
// the CPU the real binary uses while idle between its refresh passes.
#include "BenchTasks.h"
#include "Goals.h"
#include "store/Models.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QUuid>

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int launches = 15;
constexpr int idleSeconds = 20;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A private X server for the run.
class Xvfb {
public:
    Xvfb() {
        for (int n = 90; n < 140; ++n) {
            if (!QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) &&
                !QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n))) {
                display = QStringLiteral(":%1").arg(n).toStdString();
                break;
            }
        }
        const std::string screen = "1280x800x24";
        const char* args[] = {"Xvfb",         display.c_str(), "-screen", "0",
                              screen.c_str(), "-nolisten",     "tcp",     nullptr};
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
        posix_spawnp(&pid, "Xvfb", &files, nullptr, const_cast<char**>(args), environ);
        posix_spawn_file_actions_destroy(&files);
        for (int i = 0; i < 100 && !connection; ++i) {
            QThread::msleep(50);
            xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
            if (xcb_connection_has_error(c)) {
                xcb_disconnect(c);
            } else {
                connection = c;
            }
        }
    }
    ~Xvfb() {
        if (connection) {
            xcb_disconnect(connection);
        }
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    std::string display;
    pid_t pid = 0;
    xcb_connection_t* connection = nullptr;
};

struct Run {
    double startupMs = 0;
    double rssMb = 0;
    pid_t pid = 0;
};

pid_t spawn(const char* binary, const std::string& display, const QString& configHome) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string item = *e;
        if (item.rfind("DISPLAY=", 0) != 0 && item.rfind("XDG_CONFIG_HOME=", 0) != 0 &&
            item.rfind("QT_QPA_PLATFORM=", 0) != 0) {
            env.push_back(item);
        }
    }
    env.push_back("DISPLAY=" + display);
    env.push_back("XDG_CONFIG_HOME=" + configHome.toStdString());
    std::vector<char*> envp;
    for (std::string& item : env) {
        envp.push_back(item.data());
    }
    envp.push_back(nullptr);
    const char* args[] = {binary, nullptr};
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    posix_spawn(&pid, binary, &files, nullptr, const_cast<char**>(args), envp.data());
    posix_spawn_file_actions_destroy(&files);
    return pid;
}

// The first window of a useful size that is mapped, or 0 after `timeoutMs`.
xcb_window_t waitForMappedWindow(xcb_connection_t* c, int timeoutMs) {
    const auto start = Clock::now();
    pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
    while (msSince(start) < timeoutMs) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
            const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
            const xcb_window_t window = mapped && !map->override_redirect ? map->window : 0;
            std::free(event);
            if (!window) {
                continue;
            }
            auto* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
            const bool big = geometry && geometry->width > 100 && geometry->height > 40;
            std::free(geometry);
            if (big) {
                return window;
            }
        }
        poll(&fd, 1, 5);
    }
    return 0;
}

// Waits until the window shows something other than the unpainted black near its top.
bool waitForFirstFrame(xcb_connection_t* c, xcb_window_t window, int timeoutMs) {
    const auto start = Clock::now();
    auto* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
    if (!geometry) {
        return false;
    }
    const auto x = static_cast<int16_t>(geometry->width / 2);
    std::free(geometry);
    while (msSince(start) < timeoutMs) {
        auto* image = xcb_get_image_reply(
            c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, window, x, 4, 1, 1, ~0u), nullptr);
        bool painted = false;
        if (image) {
            const uint8_t* data = xcb_get_image_data(image);
            const int length = xcb_get_image_data_length(image);
            for (int i = 0; i < length && i < 3; ++i) {
                painted = painted || data[i] != 0;
            }
            std::free(image);
        }
        if (painted) {
            return true;
        }
        QThread::usleep(500);
    }
    return false;
}

double rssMb(pid_t pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
        }
    }
    return 0;
}

double cpuSeconds(pid_t pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    // utime and stime are fields 14 and 15 of the line; 12 and 13 after the command name.
    const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble();
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

void endRun(pid_t pid) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

// One launch up to its first frame; the process is left running.
std::optional<Run> launch(Xvfb& x, const char* binary, const QString& configHome) {
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x.connection,
                                 xcb_setup_roots_iterator(xcb_get_setup(x.connection)).data->root,
                                 XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x.connection);
    const auto start = Clock::now();
    Run run;
    run.pid = spawn(binary, x.display, configHome);
    const xcb_window_t window = waitForMappedWindow(x.connection, 10000);
    if (!window || !waitForFirstFrame(x.connection, window, 10000)) {
        endRun(run.pid);
        return std::nullopt;
    }
    run.startupMs = msSince(start);
    return run;
}

// The store a later launch finds: start at login already set up, the hints added, and
// `tasks` open tasks. A first launch adds the hints and writes the whole list back before its
// first frame.
void prepareStore(const QString& configHome, const QByteArray& tasksJson, bool firstLaunch) {
    QDir store(configHome + QStringLiteral("/Quenby"));
    store.removeRecursively();
    store.mkpath(QStringLiteral("."));
    const auto write = [&store](const char* name, const QByteArray& bytes) {
        QFile f(store.filePath(QLatin1String(name)));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    };
    write("startupSet.bool", "true");
    write("launchOnStartup.bool", "false");
    if (!firstLaunch) {
        write("tutorialsAdded.bool", "true");
    }
    if (!tasksJson.isEmpty()) {
        write("tasksData.data", tasksJson);
    }
}

QByteArray tasksJson(int count) {
    return *Json::encodeTasks(openTasks(count));
}

struct Scenario {
    const char* name;
    const char* binary;
    QByteArray tasks;
    bool firstLaunch = false;
    std::vector<double> startup;
    std::vector<double> rss;
};

} // namespace

int main() {
    Xvfb x;
    if (!x.connection) {
        std::printf("bench_startup: no Xvfb display could be started\n");
        return 1;
    }
    const QTemporaryDir config;
    std::vector<Scenario> scenarios{
        {"floor", FLOOR_BINARY, {}, false, {}, {}},
        {"quenby, empty store", QUENBY_BINARY, {}, false, {}, {}},
        {"quenby, 10,000 tasks", QUENBY_BINARY, tasksJson(10000), false, {}, {}},
        {"quenby, 100,000 tasks", QUENBY_BINARY, tasksJson(100000), false, {}, {}},
        {"10,000, first launch", QUENBY_BINARY, tasksJson(10000), true, {}, {}}};
    // Interleaved, so that a noisy moment hits every program alike.
    for (int i = 0; i < launches; ++i) {
        for (Scenario& s : scenarios) {
            prepareStore(config.path(), s.tasks, s.firstLaunch);
            const auto run = launch(x, s.binary, config.path());
            if (!run) {
                std::printf("bench_startup: %s showed no window\n", s.name);
                return 1;
            }
            s.startup.push_back(run->startupMs);
            QThread::msleep(500);
            s.rss.push_back(rssMb(run->pid));
            endRun(run->pid);
        }
    }

    std::printf("Start-up to the first frame and resident memory (Xvfb, %d launches each)\n",
                launches);
    std::printf("%-24s %14s %14s %12s\n", "program", "median ms", "min ms", "RSS MB");
    for (const Scenario& s : scenarios) {
        std::printf("%-24s %14.1f %14.1f %12.1f\n", s.name, Goals::median(s.startup),
                    *std::min_element(s.startup.begin(), s.startup.end()), Goals::median(s.rss));
    }
    const double floorMs = Goals::median(scenarios[0].startup);
    const double emptyMs = Goals::median(scenarios[1].startup);
    const double fullMs = Goals::median(scenarios[2].startup);
    const double largeMs = Goals::median(scenarios[3].startup);
    const double floorRss = Goals::median(scenarios[0].rss);
    const double rss = std::max(Goals::median(scenarios[1].rss), Goals::median(scenarios[2].rss));
    Goals::print("startup-vs-floor", Goals::format("%.2fx", emptyMs / floorMs), "1.4x",
                 emptyMs <= 1.4 * floorMs);
    Goals::print("startup-10k-vs-floor",
                 Goals::format("%.0fms", fullMs) + "(floor=" + Goals::format("%.0fms)", floorMs),
                 Goals::format("%.0fms", 1.5 * floorMs + 30), fullMs <= 1.5 * floorMs + 30);
    // A list of a hundred thousand tasks still opens within a second of the launch.
    Goals::print("startup-100k",
                 Goals::format("%.0fms", largeMs) + "(floor=" + Goals::format("%.0fms)", floorMs),
                 "1000ms", largeMs <= 1000);
    Goals::print("rss-vs-floor", Goals::format("%.2fx", rss / floorRss), "1.3x",
                 rss <= 1.3 * floorRss);

    // The real binary left alone: no refresh pass falls in this window after start-up.
    prepareStore(config.path(), {}, false);
    const auto idle = launch(x, QUENBY_BINARY, config.path());
    if (idle) {
        QThread::sleep(2);
        const double before = cpuSeconds(idle->pid);
        QThread::sleep(idleSeconds);
        std::printf("quenby idle between refresh passes: %.2f s CPU in %d s\n",
                    cpuSeconds(idle->pid) - before, idleSeconds);
        endRun(idle->pid);
    }
    return 0;
}
