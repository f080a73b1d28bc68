#include "platform/atomic_file.h"

#include "platform/write_all.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int nameAttempts = 100;

std::atomic<unsigned> temporaryCounter{0};

// The mode the new file gets: the replaced file's (stat follows a link to its target), or for
// a new file 0666 left to the umask, as for any file the user creates; both within the limit.
struct NewFileMode {
    mode_t bits;
    bool keptFromTarget;
};

NewFileMode newFileMode(const char* path, unsigned permissionLimit) {
    struct stat target;
    if (stat(path, &target) == 0)
        return {static_cast<mode_t>(target.st_mode & permissionLimit & 0777), true};
    return {static_cast<mode_t>(0666 & permissionLimit), false};
}

// Creates a new file named after the target; O_EXCL never opens one that is already there. The
// umask only takes bits away, so the file is never more open than mode, not even while empty.
int createTemporary(const char* path, const NewFileMode& mode, char (&name)[PATH_MAX]) {
    for (int attempt = 0; attempt < nameAttempts; ++attempt) {
        int length = std::snprintf(name, sizeof name, "%s.tmp-%ld-%u", path,
                                   static_cast<long>(getpid()), temporaryCounter++);
        if (length < 0 || static_cast<std::size_t>(length) >= sizeof name) return -1;
        int descriptor = open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode.bits);
        if (descriptor >= 0 || errno != EEXIST) return descriptor;
    }
    return -1;
}

bool fillAndClose(int descriptor, const char* data, std::size_t size) {
    bool complete = writeAll(descriptor, data, size) && fsync(descriptor) == 0;
    // Some file systems report a failed write only when the file is closed.
    bool closed = close(descriptor) == 0;
    return complete && closed;
}
} // namespace

bool replaceFileContents(const char* path, const char* data, std::size_t size,
                         unsigned permissionLimit) {
    NewFileMode mode = newFileMode(path, permissionLimit);
    char temporary[PATH_MAX];
    int descriptor = createTemporary(path, mode, temporary);
    if (descriptor < 0) return false;
    // The umask may have taken bits the replaced file had; it keeps them.
    bool modeSet = !mode.keptFromTarget || fchmod(descriptor, mode.bits) == 0;
    if (fillAndClose(descriptor, data, size) && modeSet && std::rename(temporary, path) == 0)
        return true;
    unlink(temporary);
    return false;
}

bool replaceTextFileContents(const char* path, const char* text, std::size_t size,
                             unsigned permissionLimit) {
    return replaceFileContents(path, text, size, permissionLimit);
}
