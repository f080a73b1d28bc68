#pragma once

#include <string>

// Linux process figures for the load benchmark.

// A "Key:  value kB" field of /proc/self/status in bytes, or -1 when it cannot be read.
long long statusBytes(const char* key);

// Lowers the peak resident size (VmHWM) to the current one; false where the kernel refuses.
bool resetPeakResident();

// Runs the program at argv[0] with argv and collects its standard output. True when it ran and
// exited with status 0.
bool runAndCapture(const char* const* argv, std::string& output);
