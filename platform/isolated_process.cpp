#include "platform/isolated_process.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <seccomp.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int childFile = 3;
constexpr int childOutput = 4;

long long monotonicMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

// The address space the process holds now, so the limit adds to it (a sanitizer build starts
// with terabytes of reserved shadow memory).
rlim_t currentAddressSpace() {
    unsigned long pages = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm) return 0;
    if (std::fscanf(statm, "%lu", &pages) != 1) pages = 0;
    std::fclose(statm);
    return static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
}

bool applyLimits(const IsolationLimits& limits) {
    const rlimit cpu{limits.cpuSeconds, limits.cpuSeconds + 1};
    const rlimit space{currentAddressSpace() + limits.extraAddressSpace,
                       currentAddressSpace() + limits.extraAddressSpace};
    const rlimit noFiles{0, 0};
    return setrlimit(RLIMIT_CPU, &cpu) == 0 && setrlimit(RLIMIT_AS, &space) == 0 &&
           setrlimit(RLIMIT_CORE, &noFiles) == 0 && setrlimit(RLIMIT_FSIZE, &noFiles) == 0;
}

// Reading the one file, writing to the parent, memory that never becomes executable, locks,
// and leaving. Anything else ends the process.
bool enterSystemCallFilter() {
    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_KILL_PROCESS);
    if (!filter) return false;
    const int plain[] = {
        SCMP_SYS(read),      SCMP_SYS(lseek),        SCMP_SYS(fstat),          SCMP_SYS(newfstatat),
        SCMP_SYS(brk),       SCMP_SYS(munmap),       SCMP_SYS(mremap),         SCMP_SYS(madvise),
        SCMP_SYS(futex),     SCMP_SYS(rt_sigreturn), SCMP_SYS(rt_sigprocmask), SCMP_SYS(exit),
        SCMP_SYS(exit_group)};
    bool ok = true;
    for (int call : plain)
        ok = ok && seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 0) == 0;
    ok = ok &&
         seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(write), 1,
                          SCMP_A0(SCMP_CMP_EQ, childOutput)) == 0 &&
         // stdio asks how the file was opened before its first read.
         seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(fcntl), 1,
                          SCMP_A1(SCMP_CMP_EQ, F_GETFL)) == 0 &&
         seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(mmap), 1,
                          SCMP_A2(SCMP_CMP_MASKED_EQ, PROT_EXEC, 0)) == 0 &&
         seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(mprotect), 1,
                          SCMP_A2(SCMP_CMP_MASKED_EQ, PROT_EXEC, 0)) == 0 &&
         seccomp_load(filter) == 0;
    seccomp_release(filter);
    return ok;
}

[[noreturn]] void runChild(const char* path, int pipeEnd, IsolatedProcess::Work work,
                           const IsolationLimits& limits) {
    // Both move above the two fixed numbers first, so neither can overwrite the other.
    int file = fcntl(open(path, O_RDONLY), F_DUPFD, childOutput + 1);
    int pipeCopy = fcntl(pipeEnd, F_DUPFD, childOutput + 1);
    if (file < 0 || pipeCopy < 0 || dup2(file, childFile) < 0 || dup2(pipeCopy, childOutput) < 0)
        _exit(126);
    // Nothing of the parent's stays reachable: its display connection, files, sockets.
    close_range(childOutput + 1, ~0U, 0);
    close(STDIN_FILENO);
    close(STDOUT_FILENO);
    if (!applyLimits(limits) || !enterSystemCallFilter()) _exit(126);
    // Straight to the kernel: no exit handlers of the parent's, and no sanitizer's exit check,
    // which would need far more than the filter allows.
    syscall(SYS_exit_group, work(childFile, childOutput, path));
    _exit(126);
}

} // namespace

IsolatedProcess::~IsolatedProcess() {
    stop();
}

bool IsolatedProcess::start(const char* path, Work work, const IsolationLimits& limits) {
    stop();
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return false;
    deadline = monotonicMilliseconds() + limits.wallMilliseconds;
    child = fork();
    if (child == 0) runChild(path, ends[1], work, limits);
    close(ends[1]);
    if (child < 0) {
        close(ends[0]);
        return false;
    }
    output = ends[0];
    return true;
}

int IsolatedProcess::remainingMilliseconds() const {
    long long left = deadline - monotonicMilliseconds();
    return left > 0 ? static_cast<int>(left) : 0;
}

bool IsolatedProcess::read(void* buffer, std::size_t size) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    while (size > 0 && output >= 0) {
        pollfd ready{output, POLLIN, 0};
        int waited = poll(&ready, 1, remainingMilliseconds());
        if (waited < 0 && errno == EINTR) continue;
        if (waited <= 0) return false;
        ssize_t got = ::read(output, bytes, size);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        bytes += got;
        size -= static_cast<std::size_t>(got);
    }
    return size == 0;
}

bool IsolatedProcess::finish() {
    unsigned char extra = 0;
    bool ended = output >= 0 && !read(&extra, 1) && remainingMilliseconds() > 0;
    if (!ended) {
        stop();
        return false;
    }
    int status = 0;
    // The output has ended, so the child is leaving; wait for it until the deadline.
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (remainingMilliseconds() == 0) {
            stop();
            return false;
        }
        usleep(200);
    }
    child = -1;
    close(output);
    output = -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void IsolatedProcess::stop() {
    if (output >= 0) close(output);
    output = -1;
    if (child > 0) {
        kill(child, SIGKILL);
        while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    child = -1;
}
