#pragma once

#include <chrono>

// Milliseconds on a clock that never goes back (not the wall clock, which the user may set):
// for deadlines.
inline long long monotonicMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
