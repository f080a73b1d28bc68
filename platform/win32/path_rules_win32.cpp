#include "platform/path_rules.h"

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
