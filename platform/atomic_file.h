#pragma once

#include <cstddef>

// POSIX mode bits that limit nothing.
constexpr unsigned anyPermissions = 0777;

// Replaces the file at path with exactly size bytes of data, whole or not at all: the bytes go
// to a new file beside it, reach the disk, and only then take the target's name. On failure
// the target is left as it was, no temporary file stays behind, and the result is false.
// A link at path is replaced by the new file, never written through.
// On Linux the new file keeps the mode of the file it replaces (a link's target's), or gets
// what the umask gives a new file, and never more than permissionLimit allows. Windows keeps
// the folder's inherited access and ignores the limit.
bool replaceFileContents(const char* path, const char* data, std::size_t size,
                         unsigned permissionLimit = anyPermissions);

// The same for text: each '\n' is written as the system's text files end a line (LF on Linux,
// CR LF on Windows, as a stream in text mode writes it).
bool replaceTextFileContents(const char* path, const char* text, std::size_t size,
                             unsigned permissionLimit = anyPermissions);
