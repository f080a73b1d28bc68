#pragma once

#include <cstdio>
#include <string>
#include <vector>

// Every file a conversion writes (OUT, and what comes with it: an MTL library, a glTF buffer,
// texture images) goes first to a new temporary file beside its target. Only commit() gives
// them their names, the main file last, so OUT is replaced only once everything it refers to
// is in place. Whatever is not committed is removed: by the destructor, and on SIGINT, SIGTERM
// or SIGHUP by a handler, so a failed or interrupted run leaves no temporary file behind.
class OutputFiles {
  public:
    OutputFiles();
    ~OutputFiles();
    OutputFiles(const OutputFiles&) = delete;
    OutputFiles& operator=(const OutputFiles&) = delete;

    // A new temporary file beside target, open for writing. Opening a target a second time
    // starts its content afresh. Null on failure (error() says why).
    std::FILE* open(const std::string& target);
    // Flushes the file to the disk and closes it; false when any write to it failed.
    bool close(std::FILE* file);
    // Records a failed write to file (for writers that cannot return an error at once).
    void failed(std::FILE* file, int errorNumber);
    // Gives every file its name, mainTarget last. False when a file failed to be written or
    // named; OUT is then left as it was.
    bool commit(const std::string& mainTarget);
    // Removes every temporary file not yet committed.
    void discard();

    bool holds(const std::string& target) const;
    // Where the content of target is until commit(); empty when target is not held.
    std::string temporaryOf(const std::string& target) const;
    const std::string& error() const { return problem; }

  private:
    struct Entry {
        std::string target;
        std::string temporary;
        std::FILE* file = nullptr;
        int slot = -1; // in the signal handler's list
        bool committed = false;
    };
    Entry* find(std::FILE* file);
    void fail(const std::string& what, const std::string& path, int errorNumber);

    std::vector<Entry> entries;
    std::string problem;
};
