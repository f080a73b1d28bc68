#include "mesh/texture_path.h"

#include "platform/path_rules.h"

#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

bool sameIgnoringAsciiCase(const std::string& a, const char* b) {
    std::size_t length = std::strlen(b);
    if (a.size() != length) return false;
    for (std::size_t i = 0; i < length; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

} // namespace

bool buildTexturePath(const char* directory, const char* name, char* path, std::size_t pathSize) {
    std::size_t directoryLength = std::strlen(directory);
    std::size_t nameLength = std::strlen(name);
    if (pathSize == 0 || directoryLength + 1 + nameLength >= pathSize) return false;
    std::memcpy(path, directory, directoryLength);
    path[directoryLength] = pathSeparator();
    char* namePart = path + directoryLength + 1;
    for (std::size_t i = 0; i < nameLength; ++i)
        namePart[i] = nativeNameCharacter(name[i]);
    namePart[nameLength] = '\0';
    return true;
}

void resolveImageFileCase(char* path, std::size_t pathSize) {
    if (!fileNamesCaseSensitive()) return;
    std::error_code error;
    if (std::filesystem::exists(path, error)) return;
    const char* slash = std::strrchr(path, pathSeparator());
    std::string folder =
        slash ? std::string(path, slash - path + 1) : std::string{'.', pathSeparator()};
    const char* fileName = slash ? slash + 1 : path;
    if (*fileName == '\0') return;
    std::filesystem::directory_iterator entries(folder, error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        std::string candidate = entries->path().filename().string();
        if (!sameIgnoringAsciiCase(candidate, fileName)) continue;
        std::size_t prefixLength = slash ? slash - path + 1 : 0;
        if (prefixLength + candidate.size() < pathSize)
            std::memcpy(path + prefixLength, candidate.c_str(), candidate.size() + 1);
        return;
    }
}
