#include "cli/PasswordPrompt.h"

#include "support/UniqueFd.h"

#include <QByteArray>

#include <algorithm>
#include <array>
#include <csignal>
#include <poll.h>
#include <sys/signalfd.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A password and its line end, with room to spare.
constexpr qsizetype maxLine = 4096;

void toTerminal(QByteArrayView text) {
    // Best effort: a prompt that cannot be shown changes nothing about what is read.
    [[maybe_unused]] const ssize_t written =
        ::write(STDERR_FILENO, text.data(), static_cast<std::size_t>(text.size()));
}

// Echo off for its life; the Return still moves to the next line.
class EchoOff {
public:
    explicit EchoOff(const termios& saved)
        : saved_(saved) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    ~EchoOff() { ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_); }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    termios saved_;
};

// The signals that end a process held back for its life, readable from `fd()` instead, so
// that the terminal is restored before they act.
class EndingSignalsHeld {
public:
    EndingSignalsHeld() {
        sigemptyset(&held_);
        for (const int signal : {SIGINT, SIGTERM, SIGQUIT, SIGHUP}) {
            sigaddset(&held_, signal);
        }
        ::pthread_sigmask(SIG_BLOCK, &held_, &before_);
        fd_.reset(::signalfd(-1, &held_, SFD_CLOEXEC));
    }
    ~EndingSignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
    EndingSignalsHeld(const EndingSignalsHeld&) = delete;
    EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;

    int fd() const { return fd_.get(); }
    // The signal that arrived.
    int take() const {
        signalfd_siginfo info{};
        return ::read(fd_.get(), &info, sizeof info) == sizeof info
                   ? static_cast<int>(info.ssi_signo)
                   : SIGINT;
    }

private:
    sigset_t held_{};
    sigset_t before_{};
    UniqueFd fd_;
};

} // namespace

namespace PasswordPrompt {

bool canAsk() {
    return ::isatty(STDIN_FILENO) == 1;
}

std::optional<QString> ask(const QString& prompt) {
    termios saved{};
    if (::tcgetattr(STDIN_FILENO, &saved) != 0) {
        return std::nullopt;
    }
    QByteArray line(maxLine, '\0');
    qsizetype length = 0;
    int caught = 0;
    {
        const EndingSignalsHeld held;
        const EchoOff echoOff(saved);
        toTerminal(prompt.toUtf8());
        std::array<pollfd, 2> watched{{{STDIN_FILENO, POLLIN, 0}, {held.fd(), POLLIN, 0}}};
        while (length < maxLine &&
               std::find(line.cbegin(), line.cbegin() + length, '\n') == line.cbegin() + length) {
            if (::poll(watched.data(), watched.size(), -1) < 0) {
                break;
            }
            if (watched[1].revents != 0) {
                caught = held.take();
                break;
            }
            const ssize_t count = ::read(STDIN_FILENO, line.data() + length,
                                         static_cast<std::size_t>(maxLine - length));
            if (count <= 0) {
                break;
            }
            length += count;
        }
    }
    if (caught != 0) {
        // Echo is back on and the signal no longer held: it acts as it would have.
        toTerminal("\n");
        ::raise(caught);
        return std::nullopt;
    }
    const qsizetype end = std::find(line.cbegin(), line.cbegin() + length, '\n') - line.cbegin();
    QString password = QString::fromUtf8(QByteArrayView(line.constData(), end)).remove(u'\r');
    std::fill(line.begin(), line.end(), '\0');
    if (length == 0) {
        return std::nullopt;
    }
    return password;
}

} // namespace PasswordPrompt
