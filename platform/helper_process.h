#pragma once

#include "platform/mapped_buffer.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

// Windows: a copy of this program, started with the helper arguments, that serves requests for
// it in a sandbox. It runs in a job that allows it one process (no children), caps its memory
// and its CPU time, and ends it when the job is closed; it gets a restricted token at low
// integrity where the system has one. Wine accepts such a job but enforces none of its limits,
// so the parent keeps to them as well: while it waits for an answer it ends a helper that grows
// past its memory, starts another process, or answers late. Whatever the helper does, the parent
// only ever sees bytes or their absence. Destroying the object ends the helper.
struct HelperLimits {
    std::size_t memoryBytes = std::size_t{1} << 30; // private memory of the helper
    unsigned cpuSeconds = 60;                       // CPU time of the whole helper
};

class HelperProcess {
  public:
    HelperProcess();
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    // Starts this program with arguments (argv[1] on), which must make its main serve helper
    // requests (receiveHelperRequest, writeHelperAnswer).
    bool start(const std::vector<const char*>& arguments, const HelperLimits& limits);
    bool running() const;
    // Hands the helper a file opened for reading (it gets a handle of its own) with a message of
    // up to 4096 bytes.
    bool send(std::FILE* file, const void* message, std::size_t size);
    // Reads exactly size bytes of the answer within milliseconds of this call.
    bool read(void* buffer, std::size_t size, int milliseconds);
    // Takes size bytes of memory that the helper shared (shareWithParent) and named in its
    // answer into buffer; false when the name is not such memory or it holds fewer bytes.
    bool takeShared(std::uint64_t name, std::size_t size, MappedBuffer& buffer);
    // Ends the helper; true when it had already ended by itself (it crashed or left), false when
    // it was still running or none was started.
    bool stop();

  private:
    struct Handles;
    std::unique_ptr<Handles> handles;
};

// In the helper, first of all: a crash ends the process at once, without a box or a debugger.
void enterHelperMode();
// In the helper: waits for the next request and copies its message into message (up to
// capacity bytes, the rest zeroed) and its file's whole content into fileBytes, which stays
// empty when the file cannot be read. False once the parent has no more requests.
bool receiveHelperRequest(MappedBuffer& fileBytes, void* message, std::size_t capacity);
bool writeHelperAnswer(const void* data, std::size_t size);
// In the helper: the name under which the parent can take the buffer (takeShared), for large
// answers, which a pipe carries slowly; 0 when it cannot be shared. The helper keeps the buffer
// until its next request arrives: the parent has taken it by then.
std::uint64_t shareWithParent(const MappedBuffer& buffer);
