// Shortcut to stored change: the time from a global key press (sent through XTEST, as
// xdotool does) to the replaced task list on disk, with 10,000 stored tasks, while another
// application holds the focus. Runs itself on a private Xvfb display with openbox.
#include "BenchProcess.h"
#include "BenchTasks.h"
#include "Goals.h"
#include "store/Models.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <X11/keysym.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int taskCount = 10000;
constexpr int presses = 20;
constexpr double goalMs = 40;
const char* const onDisplayMarker = "QUENBY_SHORTCUT_BENCH_ON_DISPLAY";

// Waits for the task list to be put in place in `dir`; false after `timeoutMs`.
bool waitForReplace(int inotifyFd, int timeoutMs) {
    pollfd fd{inotifyFd, POLLIN, 0};
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    alignas(inotify_event) char buffer[4096];
    while (Clock::now() < deadline) {
        if (poll(&fd, 1, 5) <= 0) {
            continue;
        }
        const ssize_t n = read(inotifyFd, buffer, sizeof buffer);
        for (ssize_t offset = 0; offset < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            if (event->len && std::string_view(event->name) == "tasksData.data") {
                return true;
            }
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return false;
}

void drain(int inotifyFd) {
    char buffer[4096];
    while (read(inotifyFd, buffer, sizeof buffer) > 0) {
    }
}

class Keyboard {
public:
    Keyboard()
        : c(xcb_connect(nullptr, nullptr))
        , symbols(xcb_key_symbols_alloc(c)) {}
    ~Keyboard() {
        xcb_key_symbols_free(symbols);
        xcb_disconnect(c);
    }
    Keyboard(const Keyboard&) = delete;
    Keyboard& operator=(const Keyboard&) = delete;

    // Control-Alt-<keysym>, pressed and released.
    void press(xcb_keysym_t keysym) {
        const xcb_keycode_t keys[] = {code(XK_Control_L), code(XK_Alt_L), code(keysym)};
        for (const xcb_keycode_t k : keys) {
            xcb_test_fake_input(c, XCB_KEY_PRESS, k, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        }
        for (int i = 2; i >= 0; --i) {
            xcb_test_fake_input(c, XCB_KEY_RELEASE, keys[i], XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        }
        xcb_flush(c);
    }

private:
    xcb_keycode_t code(xcb_keysym_t keysym) {
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, keysym);
        const xcb_keycode_t k = codes ? codes[0] : 0;
        std::free(codes);
        return k;
    }
    xcb_connection_t* c;
    xcb_key_symbols_t* symbols;
};

int measure() {
    QTemporaryDir config;
    const std::vector<Task> tasks = openTasks(taskCount);
    const QString storeDir = config.path() + QStringLiteral("/Quenby");
    QDir().mkpath(storeDir);
    QFile store(storeDir + QStringLiteral("/tasksData.data"));
    store.open(QIODevice::WriteOnly);
    store.write(*Json::encodeTasks(tasks));
    store.close();

    QProcess quenby;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    quenby.setProcessEnvironment(env);
    quenby.start(QStringLiteral(QUENBY_BINARY), {});
    QByteArray output;
    for (int i = 0; i < 200 && !output.contains("viewDidAppear\n"); ++i) {
        quenby.waitForReadyRead(50);
        output += quenby.readAllStandardOutput();
    }
    QProcess other;
    other.start(QStringLiteral(FOCUS_WINDOW_BINARY), {});
    other.waitForReadyRead(5000);

    const int inotifyFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    inotify_add_watch(inotifyFd, QFile::encodeName(storeDir).constData(),
                      IN_MOVED_TO | IN_CREATE | IN_CLOSE_WRITE);
    QThread::msleep(300);
    drain(inotifyFd);

    Keyboard keyboard;
    std::vector<double> ms;
    for (int i = 0; i < presses; ++i) {
        const auto start = Clock::now();
        keyboard.press(XK_h);
        if (!waitForReplace(inotifyFd, 2000)) {
            std::printf("press %d: no change of the stored list within 2 s\n", i + 1);
            continue;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        // Let the action's remaining saves land before the next press.
        QThread::msleep(250);
        drain(inotifyFd);
    }
    quenby.kill();
    quenby.waitForFinished(3000);
    other.kill();
    other.waitForFinished(3000);

    std::sort(ms.begin(), ms.end());
    std::printf("%-34s %8s %8s %8s %8s\n", "shortcut to stored change", "presses", "min ms",
                "median", "max ms");
    std::printf("%-34s %8zu %8.1f %8.1f %8.1f\n", "Ctrl+Alt+H, 10,000 tasks", ms.size(),
                ms.empty() ? 0 : ms.front(), Goals::median(ms), ms.empty() ? 0 : ms.back());
    const double median = Goals::median(ms);
    Goals::print("shortcut-to-store-10k", Goals::format("%.1fms", median),
                 Goals::format("%.0fms", goalMs),
                 ms.size() == static_cast<size_t>(presses) && median <= goalMs);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (!onPrivateDisplay(WITH_XVFB, onDisplayMarker, argv[0])) {
        return 1;
    }
    QCoreApplication app(argc, argv);
    return measure();
}
