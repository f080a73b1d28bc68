#include "platform/path_rules.h"

#include <sys/stat.h>

char pathSeparator() {
    return '/';
}

char nativeNameCharacter(char written) {
    return written == '\\' ? '/' : written;
}

bool fileNamesCaseSensitive() {
    return true;
}

bool pathExists(const char* path) {
    struct stat status;
    return stat(path, &status) == 0;
}
