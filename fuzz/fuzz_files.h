#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A folder of this process's own, made on first use under $TMPDIR (or /dev/shm, which keeps the
// per-input writes off the disk) and removed at exit. Aborts when it cannot be made: a fuzzer
// that cannot write its input would only report noise.
const char* fuzzFolder();

// A folder inside fuzzFolder(), made on first use with this name.
std::string fuzzSubfolder(const char* name);

// Replaces the file at path with exactly these bytes; aborts when it cannot.
void writeFuzzInput(const std::string& path, const std::uint8_t* data, std::size_t size);
