#pragma once

#include <functional>

// What keeps a thumbnail run short and its output whole. File managers run thumbnailers on
// whatever files they meet, so a file made to hang the mesh reader or the image library must
// cost a few seconds at most, and must never leave a half-written picture behind.
struct ThumbnailLimits {
    unsigned seconds = 5;     // wall clock, from the start of the work to its end
    unsigned cpuSeconds = 10; // the worker's own CPU time, all its threads together
};

// Runs work in a worker process and waits for it here, at most limits.seconds. The worker leads
// a process group of its own (so that every process it starts, the image helper included, ends
// with it), takes a CPU-time limit and makes no core file; work writes the picture to the
// temporary file it is given, which lies beside outputPath. When work returns 0 the file is
// renamed to outputPath; when it returns anything else, dies, or runs out of time (the whole
// group is then killed) the file is removed. An interrupt or termination of this process ends
// the worker's group the same way before this process goes. Returns the exit status for the
// program: work's, or 1.
int runGuarded(const char* outputPath, const ThumbnailLimits& limits,
               const std::function<int(const char* temporaryPath)>& work);
