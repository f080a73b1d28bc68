#include "tools/thumbnail_guard.h"

#include "platform/monotonic_clock.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int exitFailed = 1;

// What ends the wait: the worker's end, and the signals that would end this process.
sigset_t waitSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    for (int signal : {SIGCHLD, SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        sigaddset(&signals, signal);
    return signals;
}

// A new empty file beside the output, with the mode a new output file would get; its absolute
// path (the worker may change its folder). Empty when it cannot be made.
std::string makeTemporaryFile(const char* outputPath) {
    std::error_code error;
    std::filesystem::path output = std::filesystem::absolute(outputPath, error);
    if (error || *outputPath == '\0') return {};
    std::string name = output.string() + ".XXXXXX";
    int file = mkstemp(name.data());
    if (file < 0) return {};
    mode_t mask = umask(0);
    umask(mask);
    fchmod(file, 0666 & ~mask);
    close(file);
    return name;
}

// Only soft limits, and never raised: the image helper that the worker starts sets higher ones
// of its own, which a lowered hard limit would refuse it.
void lowerSoftLimit(int resource, rlim_t value) {
    rlimit limit{};
    if (getrlimit(resource, &limit) != 0) return;
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur <= value) return;
    limit.rlim_cur = value;
    setrlimit(resource, &limit);
}

[[noreturn]] void runWorker(pid_t parent, const sigset_t& parentMask, const ThumbnailLimits& limits,
                            const std::string& temporaryPath,
                            const std::function<int(const char*)>& work) {
    setpgid(0, 0);
    // Killed outright, the parent cannot end the group any more: the worker goes with it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(exitFailed);
    sigprocmask(SIG_SETMASK, &parentMask, nullptr);
    lowerSoftLimit(RLIMIT_CPU, limits.cpuSeconds);
    lowerSoftLimit(RLIMIT_CORE, 0);
    std::exit(work(temporaryPath.c_str()));
}

enum class WaitEnd { workerEnded, timeUp, interrupted };

// Waits for the worker's end until the deadline or a signal meant for this process.
WaitEnd waitForWorker(pid_t worker, unsigned seconds, int& workerStatus, int& stopSignal) {
    const sigset_t signals = waitSignals();
    const long long deadline = monotonicMilliseconds() + seconds * 1000LL;
    for (;;) {
        pid_t ended = waitpid(worker, &workerStatus, WNOHANG);
        if (ended == worker) return WaitEnd::workerEnded;
        if (ended < 0 && errno != EINTR) { // reaped elsewhere: nothing to show for it
            workerStatus = W_EXITCODE(exitFailed, 0);
            return WaitEnd::workerEnded;
        }
        long long left = deadline - monotonicMilliseconds();
        if (left <= 0) return WaitEnd::timeUp;
        const timespec wait{static_cast<time_t>(left / 1000),
                            static_cast<long>(left % 1000) * 1000000};
        stopSignal = sigtimedwait(&signals, nullptr, &wait);
        if (stopSignal > 0 && stopSignal != SIGCHLD) return WaitEnd::interrupted;
    }
}

void endWorkerGroup(pid_t worker) {
    kill(-worker, SIGKILL);
    kill(worker, SIGKILL); // should it not have its own group yet
    while (waitpid(worker, nullptr, 0) < 0 && errno == EINTR) {
    }
}

// The program's status for a worker that has ended: work's status, 1 for a worker killed.
int statusOf(int workerStatus) {
    if (WIFEXITED(workerStatus)) return WEXITSTATUS(workerStatus);
    std::fprintf(stderr, "korvalin-render: the thumbnail run ended by signal %d (%s)\n",
                 WTERMSIG(workerStatus), strsignal(WTERMSIG(workerStatus)));
    return exitFailed;
}

} // namespace

int runGuarded(const char* outputPath, const ThumbnailLimits& limits,
               const std::function<int(const char* temporaryPath)>& work) {
    std::string temporaryPath = makeTemporaryFile(outputPath);
    if (temporaryPath.empty()) {
        std::fprintf(stderr, "korvalin-render: cannot write beside %s: %s\n", outputPath,
                     std::strerror(errno));
        return exitFailed;
    }
    // Blocked before the worker exists, so that its end cannot come before the wait.
    const sigset_t signals = waitSignals();
    sigset_t parentMask;
    sigprocmask(SIG_BLOCK, &signals, &parentMask);
    // An ignored SIGCHLD would have the kernel reap the worker before it could be waited for.
    std::signal(SIGCHLD, SIG_DFL);
    const pid_t parent = getpid();
    std::fflush(nullptr);
    pid_t worker = fork();
    if (worker == 0) runWorker(parent, parentMask, limits, temporaryPath, work);
    int status = exitFailed;
    if (worker < 0) {
        std::fprintf(stderr, "korvalin-render: cannot start the thumbnail run: %s\n",
                     std::strerror(errno));
    } else {
        setpgid(worker, worker); // as the worker does: whichever runs first
        int workerStatus = 0, stopSignal = 0;
        WaitEnd end = waitForWorker(worker, limits.seconds, workerStatus, stopSignal);
        if (end == WaitEnd::workerEnded) {
            status = statusOf(workerStatus);
        } else {
            endWorkerGroup(worker);
            if (end == WaitEnd::timeUp)
                std::fprintf(stderr, "korvalin-render: the thumbnail took longer than %u s\n",
                             limits.seconds);
            else
                std::fprintf(stderr, "korvalin-render: the thumbnail run was interrupted\n");
        }
        if (status == 0 && std::rename(temporaryPath.c_str(), outputPath) != 0) {
            std::fprintf(stderr, "korvalin-render: cannot write %s: %s\n", outputPath,
                         std::strerror(errno));
            status = exitFailed;
        }
        if (end == WaitEnd::interrupted) {
            // Ends as the signal would have ended it, once unblocked below.
            std::signal(stopSignal, SIG_DFL);
            raise(stopSignal);
        }
    }
    if (status != 0) std::remove(temporaryPath.c_str());
    sigprocmask(SIG_SETMASK, &parentMask, nullptr);
    return status;
}
