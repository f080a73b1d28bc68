#include "platform/path_rules.h"

char pathSeparator() {
    return '/';
}

char nativeNameCharacter(char written) {
    return written == '\\' ? '/' : written;
}

bool fileNamesCaseSensitive() {
    return true;
}
