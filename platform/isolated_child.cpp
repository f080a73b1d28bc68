#include "platform/isolated_child.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <seccomp.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int childRequests = 3;
constexpr int childAnswers = 4;

// The address space the process holds now, so the limit adds to it (a sanitizer build starts
// with terabytes of reserved shadow memory). Read before the fork, where it costs the child's
// start nothing; the child holds the same then.
rlim_t currentAddressSpace() {
    unsigned long pages = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm) return 0;
    if (std::fscanf(statm, "%lu", &pages) != 1) pages = 0;
    std::fclose(statm);
    return static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
}

bool applyLimits(const IsolationLimits& limits, rlim_t startingAddressSpace) {
    const rlimit cpu{limits.cpuSeconds, limits.cpuSeconds + 1};
    const rlim_t spaceLimit = startingAddressSpace + limits.extraAddressSpace;
    const rlimit space{spaceLimit, spaceLimit};
    const rlimit noFiles{0, 0};
    // Memory files cannot outgrow the memory the child may have; it can write no other file.
    const rlimit memoryFiles{limits.extraAddressSpace, limits.extraAddressSpace};
    return setrlimit(RLIMIT_CPU, &cpu) == 0 && setrlimit(RLIMIT_AS, &space) == 0 &&
           setrlimit(RLIMIT_CORE, &noFiles) == 0 && setrlimit(RLIMIT_FSIZE, &memoryFiles) == 0;
}

// Receiving requests, reading, mapping privately and closing the files they bring, writing
// answers and memory files of its own (pwrite only writes to a file opened for writing: the
// received ones are read-only, sockets refuse it), memory that never becomes executable, locks, and
// leaving. Anything else ends the process. No call that takes a path is allowed, newfstatat
// included: a filter sees only the path's address, never its text, so "" cannot be told from
// "/etc/shadow". The helper learns a file's size with lseek, and fstat, which takes nothing but a
// descriptor, stays allowed.
bool enterSystemCallFilter() {
    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_KILL_PROCESS);
    if (!filter) return false;
    const int plain[] = {
        SCMP_SYS(read),      SCMP_SYS(close),        SCMP_SYS(lseek),          SCMP_SYS(fstat),
        SCMP_SYS(brk),       SCMP_SYS(munmap),       SCMP_SYS(mremap),         SCMP_SYS(madvise),
        SCMP_SYS(futex),     SCMP_SYS(rt_sigreturn), SCMP_SYS(rt_sigprocmask), SCMP_SYS(exit),
        SCMP_SYS(exit_group)};
    bool ok = true;
    for (int call : plain)
        ok = ok && seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 0) == 0;
    ok = ok &&
         seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(recvmsg), 1,
                          SCMP_A0(SCMP_CMP_EQ, childRequests)) == 0 &&
         seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(write), 1,
                          SCMP_A0(SCMP_CMP_EQ, childAnswers)) == 0 &&
         // Pixels leave in memory files of the child's own making: made, written, sealed, sent.
         seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(memfd_create), 1,
                          SCMP_A1(SCMP_CMP_EQ, MFD_CLOEXEC | MFD_ALLOW_SEALING)) == 0 &&
         seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(pwrite64), 0) == 0 &&
         seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(fcntl), 1,
                          SCMP_A1(SCMP_CMP_EQ, F_ADD_SEALS)) == 0 &&
         seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(sendmsg), 1,
                          SCMP_A0(SCMP_CMP_EQ, childAnswers)) == 0 &&
         // Never a shared mapping: nothing the helper maps can write through to a file.
         seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(mmap), 2,
                          SCMP_A2(SCMP_CMP_MASKED_EQ, PROT_EXEC, 0),
                          SCMP_A3(SCMP_CMP_MASKED_EQ, MAP_SHARED, 0)) == 0 &&
         seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(mprotect), 1,
                          SCMP_A2(SCMP_CMP_MASKED_EQ, PROT_EXEC, 0)) == 0 &&
         seccomp_load(filter) == 0;
    seccomp_release(filter);
    return ok;
}

[[noreturn]] void runChild(int requestEnd, int answerEnd, IsolatedWork work,
                           const IsolationLimits& limits, pid_t parent,
                           rlim_t startingAddressSpace) {
    // A helper busy on a hanging image ends with a parent killed from outside, not a minute later.
    if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != parent) _exit(126);
    // Both move above the two fixed numbers first, so neither can overwrite the other.
    int requestCopy = fcntl(requestEnd, F_DUPFD, childAnswers + 1);
    int answerCopy = fcntl(answerEnd, F_DUPFD, childAnswers + 1);
    if (requestCopy < 0 || answerCopy < 0 || dup2(requestCopy, childRequests) < 0 ||
        dup2(answerCopy, childAnswers) < 0)
        _exit(126);
    // Nothing of the parent's stays reachable: its display connection, files, sockets, and its
    // standard streams, which under a terminal would let the child read what the user types.
    close_range(childAnswers + 1, ~0U, 0);
    close_range(STDIN_FILENO, childRequests - 1, 0);
    if (!applyLimits(limits, startingAddressSpace) ||
        (limits.systemCallFilter && !enterSystemCallFilter()))
        _exit(126);
    // Straight to the kernel: no exit handlers of the parent's, and no sanitizer's exit check,
    // which would need far more than the filter allows.
    syscall(SYS_exit_group, work(childRequests, childAnswers));
    _exit(126);
}

// One message's bytes and room for count descriptors beside them, as sendmsg and recvmsg take
// them; the header points into the object itself, so it is made where it is used.
struct MessageWithFiles {
    MessageWithFiles(void* bytes, std::size_t size, std::size_t count) : data{bytes, size} {
        header.msg_iov = &data;
        header.msg_iovlen = 1;
        header.msg_control = control;
        header.msg_controllen = CMSG_SPACE(sizeof(int) * count);
    }
    MessageWithFiles(const MessageWithFiles&) = delete;
    MessageWithFiles& operator=(const MessageWithFiles&) = delete;

    iovec data;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * maxPassedFiles)] = {};
    msghdr header{};
};

} // namespace

bool sendWithFiles(int socket, const void* message, std::size_t size, const int* files,
                   std::size_t count) {
    if (count == 0 || count > maxPassedFiles) return false;
    MessageWithFiles passing(const_cast<void*>(message), size, count);
    cmsghdr* passed = CMSG_FIRSTHDR(&passing.header);
    passed->cmsg_level = SOL_SOCKET;
    passed->cmsg_type = SCM_RIGHTS;
    passed->cmsg_len = CMSG_LEN(sizeof(int) * count);
    std::memcpy(CMSG_DATA(passed), files, sizeof(int) * count);
    return sendmsg(socket, &passing.header, MSG_NOSIGNAL) == static_cast<ssize_t>(size);
}

ssize_t receiveWithFiles(int socket, void* buffer, std::size_t size, int flags, int* files,
                         std::size_t count) {
    std::fill(files, files + count, -1);
    if (count == 0 || count > maxPassedFiles) return -1;
    MessageWithFiles passing(buffer, size, count);
    ssize_t got = -1;
    while ((got = recvmsg(socket, &passing.header, flags | MSG_CMSG_CLOEXEC)) < 0 &&
           errno == EINTR) {
    }
    const cmsghdr* passed = got > 0 ? CMSG_FIRSTHDR(&passing.header) : nullptr;
    if (passed && passed->cmsg_level == SOL_SOCKET && passed->cmsg_type == SCM_RIGHTS &&
        passed->cmsg_len == CMSG_LEN(sizeof(int) * count))
        std::memcpy(files, CMSG_DATA(passed), sizeof(int) * count);
    return got;
}

pid_t forkIsolatedChild(IsolatedWork work, const IsolationLimits& limits, int& requests,
                        int& answers) {
    int requestPair[2], answerPair[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, requestPair) != 0) return -1;
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, answerPair) != 0) {
        close(requestPair[0]);
        close(requestPair[1]);
        return -1;
    }
    // A stream socket rather than a pipe: read() below waits in the kernel for a whole answer,
    // where a pipe would wake us for every page of a large image.
    shutdown(answerPair[0], SHUT_WR);
    const pid_t parent = getpid();
    const rlim_t addressSpace = currentAddressSpace();
    const pid_t child = fork();
    if (child == 0) runChild(requestPair[1], answerPair[1], work, limits, parent, addressSpace);
    close(requestPair[1]);
    close(answerPair[1]);
    if (child < 0) {
        close(requestPair[0]);
        close(answerPair[0]);
        return -1;
    }
    requests = requestPair[0];
    answers = answerPair[0];
    return child;
}

bool endIsolatedChild(pid_t child) {
    // Looked at before the channels close, since a child that sees them close may leave.
    int status = 0;
    bool reaped = waitpid(child, &status, WNOHANG) == child;
    if (!reaped) {
        kill(child, SIGKILL);
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }
    // Our own SIGKILL is the one ending that is not the child's doing.
    return reaped || !(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
}
