// measure_run: runs one command as a child process and reports its wall time and peak resident
// memory, for the loader comparison.
//
//     measure_run [--output FILE] COMMAND [ARGUMENT...]
//
// Prints "SECONDS PEAK_KIB STATUS" on one line: wall seconds from just before the fork to the
// child's end, the child's peak resident size as the kernel reports it to wait4, and its exit
// status (128 + the signal's number when a signal ended it; 127 when the command could not be
// started). The child's standard output and error go to FILE when given. Exits 0 when the child
// exited with 0, 1 when it did not, 2 on bad usage or when no child could be made.
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int exitCannotExec = 127;

struct Measurement {
    double seconds = 0;
    long peakKib = 0;
    int status = 0;
};

// The child's output file is opened before the clock starts, so opening it is not timed.
bool openOutput(const char* path, int& descriptor) {
    descriptor = -1;
    if (!path) return true;
    descriptor = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    return descriptor >= 0;
}

[[noreturn]] void execChild(char** command, int output) {
    if (output >= 0 && (dup2(output, STDOUT_FILENO) < 0 || dup2(output, STDERR_FILENO) < 0))
        _exit(exitCannotExec);
    execvp(command[0], command);
    _exit(exitCannotExec);
}

int exitStatus(int waitStatus) {
    if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
    return 128 + WTERMSIG(waitStatus);
}

bool measure(char** command, int output, Measurement& result) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) execChild(command, output);
    int waitStatus = 0;
    rusage usage{};
    pid_t ended;
    while ((ended = wait4(child, &waitStatus, 0, &usage)) < 0 && errno == EINTR) {
    }
    const Clock::time_point end = Clock::now();
    if (ended != child) return false;
    result.seconds = std::chrono::duration<double>(end - start).count();
    result.peakKib = usage.ru_maxrss;
    result.status = exitStatus(waitStatus);
    return true;
}

int usage() {
    std::fprintf(stderr, "usage: measure_run [--output FILE] COMMAND [ARGUMENT...]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    int first = 1;
    const char* outputPath = nullptr;
    if (argc > 1 && std::strcmp(argv[1], "--output") == 0) {
        if (argc < 3) return usage();
        outputPath = argv[2];
        first = 3;
    }
    if (first >= argc) return usage();
    int output;
    if (!openOutput(outputPath, output)) {
        std::fprintf(stderr, "measure_run: cannot write %s: %s\n", outputPath,
                     std::strerror(errno));
        return 2;
    }
    Measurement result;
    if (!measure(argv + first, output, result)) {
        std::fprintf(stderr, "measure_run: cannot run %s\n", argv[first]);
        return 2;
    }
    std::printf("%.6f %ld %d\n", result.seconds, result.peakKib, result.status);
    return result.status == 0 ? 0 : 1;
}
