#include "platform/regular_file.h"

#include <sys/stat.h>

// Opening never waits on Windows (a busy pipe fails at once), so the file is opened first and
// then asked what it is: a console, NUL or a pipe is no regular file.
std::FILE* openRegularFile(const char* path, RegularFileFacts* facts) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return nullptr;
    struct _stat64 status;
    if (_fstat64(_fileno(file), &status) != 0 || (status.st_mode & _S_IFMT) != _S_IFREG) {
        std::fclose(file);
        return nullptr;
    }
    if (facts) {
        facts->size = static_cast<long long>(status.st_size);
        facts->permissions = static_cast<unsigned>(status.st_mode & 0777);
    }
    return file;
}
