#pragma once

#include <cstddef>
#include <sys/types.h>

// The parts of an isolated child that whoever forks one needs: the program itself
// (IsolatedProcess) or a launcher that forks for it (ProcessLauncher).

// Limits of one isolated child process.
struct IsolationLimits {
    unsigned cpuSeconds = 60; // CPU time of the whole child before the kernel ends it
    std::size_t extraAddressSpace = 3u << 30; // address space it may add to what it has at start
    int requestMilliseconds = 10000;          // for each answer, from awaitAnswer() to its end
    // Off for work that must open files by name itself: the limits and the deadline still hold.
    bool systemCallFilter = true;
};

// The child's work: receives requests on one descriptor (receiveRequest), writes answers to the
// other. Its return value becomes the child's exit status.
using IsolatedWork = int (*)(int requests, int answers);

// A child forked from this process for the work, and this process's ends of its channels; -1
// when it cannot be had. endIsolatedChild ends and reaps it, true when it had ended by itself.
pid_t forkIsolatedChild(IsolatedWork work, const IsolationLimits& limits, int& requests,
                        int& answers);
bool endIsolatedChild(pid_t child);

// Sends one message with up to maxPassedFiles open files beside it (the peer gets its own copies);
// a peer that has died makes this fail, not a signal.
constexpr std::size_t maxPassedFiles = 2;
bool sendWithFiles(int socket, const void* message, std::size_t size, const int* files,
                   std::size_t count);

// Receives one message into buffer and the files sent beside it into files (-1 for each when
// not exactly count came); the byte count, or -1.
ssize_t receiveWithFiles(int socket, void* buffer, std::size_t size, int flags, int* files,
                         std::size_t count);
