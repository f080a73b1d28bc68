#pragma once
#include <cstddef>

// Writes all of data to the descriptor, going on after short writes and interruptions; false
// when the descriptor refuses a byte.
bool writeAll(int descriptor, const void* data, std::size_t size);
