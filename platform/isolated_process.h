#pragma once

#include <cstddef>
#include <sys/types.h>

// Limits of one isolated child process.
struct IsolationLimits {
    unsigned cpuSeconds = 5;                  // CPU time before the kernel ends it
    std::size_t extraAddressSpace = 3u << 30; // address space it may add to what it has at start
    int wallMilliseconds = 10000;             // from start to exit, enforced here
};

// A forked child that opens one file read-only, gives up everything else (other descriptors
// closed, a system-call filter that allows reading that file, writing to its parent, memory
// and exit; no new files, sockets or programs), runs under the limits, and hands its result
// back through a pipe. Whatever it does, the parent is only ever told true or false, and a
// child that runs late is ended by its process id. Destroying the object ends and reaps it.
class IsolatedProcess {
  public:
    // The child's work: file is the opened file, output the pipe to the parent. Its return value
    // becomes the child's exit status.
    using Work = int (*)(int file, int output, const char* path);

    IsolatedProcess() = default;
    IsolatedProcess(const IsolatedProcess&) = delete;
    IsolatedProcess& operator=(const IsolatedProcess&) = delete;
    ~IsolatedProcess();

    bool start(const char* path, Work work, const IsolationLimits& limits);
    // Reads exactly size bytes of the child's output before the deadline.
    bool read(void* buffer, std::size_t size);
    // True when the output ends here and the child then exits with status 0 in time.
    bool finish();

  private:
    void stop();
    int remainingMilliseconds() const;

    pid_t child = -1;
    int output = -1;
    long long deadline = 0; // CLOCK_MONOTONIC milliseconds
};
