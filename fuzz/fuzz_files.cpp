#include "fuzz/fuzz_files.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

std::string temporaryRoot() {
    const char* tmpdir = std::getenv("TMPDIR");
    if (tmpdir && *tmpdir) return tmpdir;
    std::error_code error;
    if (std::filesystem::is_directory("/dev/shm", error) && access("/dev/shm", W_OK) == 0)
        return "/dev/shm";
    return "/tmp";
}

// A plain buffer, not a std::string: it must outlive the static destructors, since the
// folder is removed by an exit handler.
char folderPath[4096];

void removeFuzzFolder() {
    std::error_code error;
    std::filesystem::remove_all(folderPath, error);
}

void makeFuzzFolder() {
    std::string pattern = temporaryRoot() + "/korvalin-fuzz-XXXXXX";
    if (pattern.size() >= sizeof folderPath || !mkdtemp(pattern.data())) {
        std::perror("korvalin fuzz: cannot make a temporary folder");
        std::abort();
    }
    std::memcpy(folderPath, pattern.c_str(), pattern.size() + 1);
    std::atexit(removeFuzzFolder);
}

} // namespace

const char* fuzzFolder() {
    if (folderPath[0] == '\0') makeFuzzFolder();
    return folderPath;
}

std::string fuzzSubfolder(const char* name) {
    std::string path = std::string(fuzzFolder()) + "/" + name;
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        std::perror("korvalin fuzz: cannot make a folder");
        std::abort();
    }
    return path;
}

void writeFuzzInput(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    bool written = file && (size == 0 || std::fwrite(data, 1, size, file) == size);
    if (file && std::fclose(file) != 0) written = false;
    if (!written) {
        std::perror("korvalin fuzz: cannot write the input file");
        std::abort();
    }
}
