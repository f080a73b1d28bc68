#pragma once

#include <cstdio>

class MappedBuffer;

// What the system told about a file when it was opened.
struct RegularFileFacts {
    long long size = -1;
    // Who may read and write it, as POSIX mode bits (0644, 0600, ...).
    unsigned permissions = 0;
};

// Opens path for reading in binary mode when it names a regular file (a link is followed). A
// device, a pipe, a socket or a folder is refused at once, without waiting on it or reading
// from it. Null when the file is refused or cannot be opened.
std::FILE* openRegularFile(const char* path, RegularFileFacts* facts = nullptr);

// The whole of a regular file (as openRegularFile takes it) in bytes; false, and bytes empty, when
// it is refused, empty or cannot be read.
bool readRegularFile(const char* path, MappedBuffer& bytes);

#ifndef _WIN32
// The same check for a caller that wants the descriptor itself; -1 when refused.
int openRegularFileDescriptor(const char* path, RegularFileFacts* facts = nullptr);
#endif
