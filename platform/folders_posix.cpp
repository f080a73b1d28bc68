#include "platform/folders.h"

#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// A link counts as what it leads to; the entry's type alone says so for the rest.
bool isRegularFile(DIR* folder, const dirent& entry) {
    if (entry.d_type == DT_REG) return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
    struct stat status = {};
    return fstatat(dirfd(folder), entry.d_name, &status, 0) == 0 && S_ISREG(status.st_mode);
}

} // namespace

bool filesInFolder(const char* path, std::vector<std::string>& names) {
    names.clear();
    DIR* folder = opendir(path);
    if (!folder) return false;
    errno = 0;
    while (const dirent* entry = readdir(folder)) {
        if (isRegularFile(folder, *entry)) names.emplace_back(entry->d_name);
        errno = 0;
    }
    bool complete = errno == 0;
    closedir(folder);
    return complete;
}

// mkdir leaves the umask to say who else may use the folder, as for any other new folder.
bool makeFolder(const char* path) {
    if (mkdir(path, 0777) == 0) return true;
    struct stat status = {};
    return errno == EEXIST && stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}
