#include "platform/isolated_process.h"

#include "platform/monotonic_clock.h"
#include "platform/process_launcher.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr std::size_t maxMessage = 4096;

// One message with a file passed beside it; a peer that has died makes this fail with EPIPE,
// not a signal.
bool sendWithFile(int socket, const void* message, std::size_t size, int file) {
    return size <= maxMessage && sendWithFiles(socket, message, size, &file, 1);
}

} // namespace

IsolatedProcess::~IsolatedProcess() {
    stop();
}

bool IsolatedProcess::start(Work work, const IsolationLimits& limits, ProcessLauncher* through) {
    stop();
    requestMilliseconds = limits.requestMilliseconds;
    if (through && through->launch(limits, child, requests, answers)) {
        launcher = through;
        return true;
    }
    child = forkIsolatedChild(work, limits, requests, answers);
    return child > 0;
}

bool IsolatedProcess::send(int file, const void* message, std::size_t size) {
    return child > 0 && size > 0 && sendWithFile(requests, message, size, file);
}

void IsolatedProcess::awaitAnswer() {
    awaitAnswer(requestMilliseconds);
}

void IsolatedProcess::awaitAnswer(int milliseconds) {
    deadline = monotonicMilliseconds() + std::min(milliseconds, requestMilliseconds);
}

int IsolatedProcess::remainingMilliseconds() const {
    long long left = deadline - monotonicMilliseconds();
    return left > 0 ? static_cast<int>(left) : 0;
}

bool IsolatedProcess::read(void* buffer, std::size_t size) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    while (size > 0 && answers >= 0) {
        const int left = remainingMilliseconds();
        if (left == 0) return false;
        const timeval wait{left / 1000, (left % 1000) * 1000};
        if (setsockopt(answers, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait) != 0) return false;
        ssize_t got = recv(answers, bytes, size, MSG_WAITALL);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        bytes += got;
        size -= static_cast<std::size_t>(got);
    }
    return size == 0;
}

bool IsolatedProcess::read(void* buffer, std::size_t size, int& file) {
    file = -1;
    const int left = remainingMilliseconds();
    if (answers < 0 || size == 0 || left == 0) return false;
    const timeval wait{left / 1000, (left % 1000) * 1000};
    if (setsockopt(answers, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait) != 0) return false;
    const ssize_t got = receiveWithFiles(answers, buffer, size, MSG_WAITALL, &file, 1);
    if (got == static_cast<ssize_t>(size)) return true;
    if (file >= 0) close(file);
    file = -1;
    return false;
}

double IsolatedProcess::cpuSeconds() const {
    if (child <= 0) return 0;
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(child));
    FILE* stat = std::fopen(path, "r");
    if (!stat) return 0;
    unsigned long userTicks = 0, systemTicks = 0;
    // Fields 14 and 15, after the name in parentheses (which ends at the last ')').
    char line[1024] = {};
    bool read = std::fgets(line, sizeof line, stat) != nullptr;
    std::fclose(stat);
    const char* afterName = read ? std::strrchr(line, ')') : nullptr;
    if (!afterName ||
        std::sscanf(afterName, ") %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &userTicks,
                    &systemTicks) != 2)
        return 0;
    return static_cast<double>(userTicks + systemTicks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

bool IsolatedProcess::stop() {
    bool endedByItself = false;
    if (child > 0 && launcher)
        endedByItself = launcher->end(child);
    else if (child > 0)
        endedByItself = endIsolatedChild(child);
    child = -1;
    launcher = nullptr;
    if (requests >= 0) close(requests);
    if (answers >= 0) close(answers);
    requests = answers = -1;
    return endedByItself;
}

int receiveRequest(int requests, char* message, std::size_t capacity) {
    if (capacity == 0) return -1;
    int file = -1;
    const ssize_t got = receiveWithFiles(requests, message, capacity - 1, 0, &file, 1);
    if (got <= 0 || file < 0) {
        if (file >= 0) close(file);
        return -1;
    }
    message[got] = '\0';
    return file;
}

bool sendAnswer(int answers, const void* message, std::size_t size, int file) {
    return sendWithFile(answers, message, size, file);
}

int makeMemoryFile() {
    return static_cast<int>(
        syscall(SYS_memfd_create, "korvalin-image", MFD_CLOEXEC | MFD_ALLOW_SEALING));
}
