#pragma once

#include "platform/isolated_child.h"

#include <cstddef>
#include <mutex>
#include <sys/types.h>

// A small process, made when the object is, that forks isolated children for one kind of work
// on request. A child forked from the program itself shares every page of the program's until
// it ends, so that each page the program writes meanwhile (a texture upload into a heap reused
// from earlier ones, say) is first copied and its old mapping flushed from every processor; a
// child forked from a launcher made while the program was still small shares nothing with the
// program. The launcher is nobody's child here (the program's waits never see it); it ends the
// children it made and leaves when the program destroys the object or ends.
class ProcessLauncher {
  public:
    using Prepare = void (*)();

    // prepare, if any, runs once in the launcher before it makes any child.
    ProcessLauncher(IsolatedWork work, Prepare prepare);
    ~ProcessLauncher();
    ProcessLauncher(const ProcessLauncher&) = delete;
    ProcessLauncher& operator=(const ProcessLauncher&) = delete;

    // A new child for the work, its process id and this process's ends of its channels; false
    // when the launcher is gone or could not make one.
    bool launch(const IsolationLimits& limits, pid_t& child, int& requests, int& answers);
    // Ends and reaps a child it launched (a process started through the launcher must be stopped
    // before the launcher is destroyed): true when it had ended by itself, as
    // endIsolatedChild; also true when the launcher is gone, which ended its children.
    bool end(pid_t child);

  private:
    // One order and its reply, with the channels that came beside it (-1 when none).
    bool ask(const void* order, std::size_t orderSize, void* reply, std::size_t replySize,
             int* files);

    int control = -1;
    pid_t owner = -1; // the process that made it: a forked copy of the program forks its own
    std::mutex turn;  // one order and its reply at a time
};
