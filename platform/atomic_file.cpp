#include "platform/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

namespace {
constexpr int nameAttempts = 100;

std::atomic<unsigned> temporaryCounter{0};

// Creates a new file named after the target; O_EXCL never opens one that is already there,
// and mode 0666 lets the umask decide the permissions, as for any file the user creates.
int createTemporary(const char* path, char (&name)[PATH_MAX]) {
    for (int attempt = 0; attempt < nameAttempts; ++attempt) {
        int length = std::snprintf(name, sizeof name, "%s.tmp-%ld-%u", path,
                                   static_cast<long>(getpid()), temporaryCounter++);
        if (length < 0 || static_cast<std::size_t>(length) >= sizeof name) return -1;
        int descriptor = open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0 || errno != EEXIST) return descriptor;
    }
    return -1;
}

bool writeAll(int descriptor, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t written = write(descriptor, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool fillAndClose(int descriptor, const char* data, std::size_t size) {
    bool complete = writeAll(descriptor, data, size) && fsync(descriptor) == 0;
    // Some file systems report a failed write only when the file is closed.
    bool closed = close(descriptor) == 0;
    return complete && closed;
}
} // namespace

bool replaceFileContents(const char* path, const char* data, std::size_t size) {
    char temporary[PATH_MAX];
    int descriptor = createTemporary(path, temporary);
    if (descriptor < 0) return false;
    if (fillAndClose(descriptor, data, size) && std::rename(temporary, path) == 0) return true;
    unlink(temporary);
    return false;
}

bool replaceTextFileContents(const char* path, const char* text, std::size_t size) {
    return replaceFileContents(path, text, size);
}
