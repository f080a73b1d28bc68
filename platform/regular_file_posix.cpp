#include "platform/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int openRegularFileDescriptor(const char* path, RegularFileFacts* facts) {
    // Without O_NONBLOCK, opening a FIFO would wait for a writer that may never come.
    int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) return -1;
    struct stat status;
    int flags = fcntl(descriptor, F_GETFL);
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || flags < 0 ||
        fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(descriptor);
        return -1;
    }
    if (facts) {
        facts->size = static_cast<long long>(status.st_size);
        facts->permissions = static_cast<unsigned>(status.st_mode & 0777);
    }
    return descriptor;
}

std::FILE* openRegularFile(const char* path, RegularFileFacts* facts) {
    int descriptor = openRegularFileDescriptor(path, facts);
    if (descriptor < 0) return nullptr;
    std::FILE* file = fdopen(descriptor, "rb");
    if (!file) close(descriptor);
    return file;
}
