#include "tests/fltk/private_xvfb.h"

#include <FL/Fl.H>
#include <FL/x.H>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int startTimeoutMs = 10000;
constexpr int stopTimeoutMs = 2000;

// Reads the display number the server writes once it accepts connections; empty on timeout,
// or when the server ends first (the pipe closes).
std::string readDisplayNumber(int fd) {
    std::string number;
    for (;;) {
        pollfd ready{fd, POLLIN, 0};
        int answer = poll(&ready, 1, startTimeoutMs);
        if (answer < 0 && errno == EINTR) continue;
        if (answer <= 0) return {};
        char c = 0;
        ssize_t got = read(fd, &c, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return {};
        if (c == '\n') return number;
        number += c;
    }
}

bool hasEnded(pid_t pid, int waitMs) {
    for (int waited = 0; waited <= waitMs; waited += 20) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return true;
        usleep(20 * 1000);
    }
    return false;
}

} // namespace

void PrivateXvfb::SetUp() {
    int displayPipe[2];
    ASSERT_EQ(pipe(displayPipe), 0);
    pid_t parent = getpid();
    pid = fork();
    ASSERT_GE(pid, 0) << "fork failed";
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(1);
        close(displayPipe[0]);
        int quiet = open("/dev/null", O_WRONLY);
        if (quiet >= 0) {
            dup2(quiet, STDOUT_FILENO);
            dup2(quiet, STDERR_FILENO);
        }
        std::string fd = std::to_string(displayPipe[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
               "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(displayPipe[1]);
    std::string number = readDisplayNumber(displayPipe[0]);
    close(displayPipe[0]);
    ASSERT_FALSE(number.empty()) << "Xvfb did not report a display within 10 s (is it installed?)";
    setenv("DISPLAY", (":" + number).c_str(), 1);
}

void PrivateXvfb::TearDown() {
    if (fl_display) fl_close_display();
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    if (!hasEnded(pid, stopTimeoutMs)) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    pid = -1;
}
