#pragma once

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

// Progress of a long conversion: a line "korvalin-convert: 30%" at each tenth of the work, for
// an input over 50 MB and only while the stream (stderr) is a terminal. The work is cut into
// spans (reading, converting, writing), each reporting its own share from 0 to 1.
class Progress {
  public:
    static constexpr long long largeInputBytes = 50'000'000;

    Progress(long long inputBytes, bool toTerminal, std::FILE* stream = stderr);
    // Whether stderr is a terminal.
    static bool stderrIsTerminal();

    bool enabled() const { return on; }
    // The whole work has come to `fraction` (0 to 1); never goes back.
    void reach(double fraction);
    // A part of the work, from `from` to `to` of the whole, that reports its own share.
    std::function<void(double)> span(double from, double to);
    // Reports 100% if not yet reported.
    void finish() { reach(1.0); }

  private:
    std::FILE* out;
    bool on;
    int tenthsShown = 0;
};

// Follows how far a file that some code (here: loadMesh) opened itself has been read: a
// thread looks every 50 ms for a descriptor of this process open on the same file and reads
// its position from /proc/self/fdinfo. Does nothing unless started.
class FileReadWatcher {
  public:
    FileReadWatcher() = default;
    FileReadWatcher(const FileReadWatcher&) = delete;
    FileReadWatcher& operator=(const FileReadWatcher&) = delete;
    ~FileReadWatcher() { stop(); }

    // onShare hears position / size of the file, from the watching thread.
    void start(const std::string& path, std::function<void(double)> onShare);
    void stop();

  private:
    std::thread thread;
    std::atomic<bool> running{false};
};
