#pragma once

#include "platform/isolated_child.h"

#include <cstddef>
#include <sys/types.h>

class ProcessLauncher;

// A forked child that serves requests for the parent with nothing of the parent's left to it
// but two channels: requests arrive with a file the parent opened, answers go back through a
// stream socket. Before its work begins it closes every other descriptor, takes the limits, and
// enters a system-call filter that allows reading the files it is given, writing answers, memory
// and exit; no new files, sockets or programs. Whatever it does, the parent only ever sees bytes or
// their absence, and a child that answers late is ended by its process id. Destroying the object
// ends and reaps the child.
class IsolatedProcess {
  public:
    using Work = IsolatedWork;

    IsolatedProcess() = default;
    IsolatedProcess(const IsolatedProcess&) = delete;
    IsolatedProcess& operator=(const IsolatedProcess&) = delete;
    ~IsolatedProcess();

    // Through a launcher that runs this work, when given and still there (its child shares no
    // memory with this process); else forked from this process.
    bool start(Work work, const IsolationLimits& limits, ProcessLauncher* through = nullptr);
    bool running() const { return child > 0; }
    // Started through a launcher: it shares no memory with this process.
    bool launched() const { return launcher != nullptr; }
    // Hands the child an open file (it keeps its own copy) with a message of up to 4096 bytes.
    // Requests queue up; the child answers them in order.
    bool send(int file, const void* message, std::size_t size);
    // Starts the time the child has for its next answer: the limits' requestMilliseconds, or
    // less when given.
    void awaitAnswer();
    void awaitAnswer(int milliseconds);
    // Reads exactly size bytes of the answer before its deadline.
    bool read(void* buffer, std::size_t size);
    // The same, and a file the child sent with these bytes (sendAnswer) into file, -1 if none;
    // the caller closes it.
    bool read(void* buffer, std::size_t size, int& file);
    // CPU time the child has used so far.
    double cpuSeconds() const;
    // Ends and reaps the child. True when it had already ended by itself (it crashed, was
    // ended by the kernel or left), false when it was still running or none was started.
    bool stop();

  private:
    int remainingMilliseconds() const;

    pid_t child = -1;
    ProcessLauncher* launcher = nullptr; // the child's parent, when not this process
    int requests = -1;
    int answers = -1;
    int requestMilliseconds = 0;
    long long deadline = 0; // CLOCK_MONOTONIC milliseconds
};

// In the child: waits for the next request; returns the file handed with it and copies the
// message, zero-terminated, into message. -1 once the parent has no more requests.
int receiveRequest(int requests, char* message, std::size_t capacity);

// In the child: writes an answer of size bytes (at most 4096) with a file of its own making
// attached, a memory file (makeMemoryFile) that it has filled and sealed.
bool sendAnswer(int answers, const void* message, std::size_t size, int file);
int makeMemoryFile();
