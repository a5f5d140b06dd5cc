#pragma once

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

// Sends standard output to /dev/null while it lives: the app's diagnostic lines would bury
// the tables.
class QuietStdout {
public:
    QuietStdout()
        : saved_(dup(STDOUT_FILENO)) {
        std::fflush(stdout);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        close(null);
    }
    ~QuietStdout() {
        std::fflush(stdout);
        dup2(saved_, STDOUT_FILENO);
        close(saved_);
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    int saved_;
};

// Runs this program again on a private display with a window manager, through the test
// runner `withXvfb`, unless `marker` says it already runs there. Returns only there, or
// false when the new run could not start.
inline bool onPrivateDisplay(const char* withXvfb, const char* marker, char* program) {
    if (std::getenv(marker)) {
        return true;
    }
    setenv(marker, "1", 1);
    const char* args[] = {withXvfb, "--wm", program, nullptr};
    execv(withXvfb, const_cast<char**>(args));
    std::perror("with-xvfb");
    return false;
}
