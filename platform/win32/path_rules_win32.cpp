#include "platform/path_rules.h"

#include "platform/win32/windows_api.h"

char pathSeparator() {
    return '\\';
}

char nativeNameCharacter(char written) {
    return written;
}

// The file system's own rules decide: NTFS and FAT find a name in any case.
bool fileNamesCaseSensitive() {
    return false;
}

// The C++ library's file system calls read narrow paths in their own locale, not the ANSI code
// page: only the system's ANSI call finds a name outside ASCII.
bool pathExists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}
