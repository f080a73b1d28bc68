#include "mesh/texture_path.h"

#include "platform/path_rules.h"

#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

std::string lowerAscii(const char* text) {
    std::string lowered(text);
    for (char& c : lowered)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lowered;
}

const char* lastSeparator(const char* path) {
    const char* slash = std::strrchr(path, '/');
    const char* separator = std::strrchr(path, pathSeparator());
    return slash > separator ? slash : separator;
}

// The folder of a file, as buildTexturePath takes it: "." for a bare name, "" for one under the
// root (the separator is put back between the two).
std::string folderOf(const char* filePath) {
    const char* separator = lastSeparator(filePath);
    return separator ? std::string(filePath, separator) : std::string(".");
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

const FolderListings::Listing& FolderListings::listing(const std::string& folder) {
    auto known = folders.find(folder);
    if (known != folders.end()) return known->second;
    Listing& listed = folders[folder];
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        std::string name = entries->path().filename().string();
        listed.byLowerCase.emplace(lowerAscii(name.c_str()), name);
        listed.names.insert(std::move(name));
    }
    listed.complete = !error;
    return listed;
}

bool FolderListings::find(char* path, std::size_t pathSize) {
    const char* separator = lastSeparator(path);
    const char* fileName = separator ? separator + 1 : path;
    std::size_t prefixLength = static_cast<std::size_t>(fileName - path);
    std::string folder = separator ? std::string(path, prefixLength) : std::string(".");
    // A folder listed already answers without a look at the disk: a long list of missing
    // names then costs no system call each.
    auto known = folders.find(folder);
    if (known == folders.end() || !known->second.complete || *fileName == '\0') {
        if (pathExists(path)) return true;
        if (!fileNamesCaseSensitive() || *fileName == '\0') return false;
    }
    const Listing& names = listing(folder);
    if (names.names.count(fileName) > 0) return true;
    auto match = names.byLowerCase.find(lowerAscii(fileName));
    if (match == names.byLowerCase.end() || prefixLength + match->second.size() >= pathSize)
        return false;
    std::memcpy(path + prefixLength, match->second.c_str(), match->second.size() + 1);
    return true;
}

void resolveImageFileCase(char* path, std::size_t pathSize) {
    FolderListings listings;
    listings.find(path, pathSize);
}

TextureImageFinder::TextureImageFinder(const char* texturesFolder, const char* meshPath)
    : texturesDir(texturesFolder), meshFolder(folderOf(meshPath)) {}

bool TextureImageFinder::find(const char* name, char* path, std::size_t pathSize) {
    const bool fitsInFolder = buildTexturePath(texturesDir.c_str(), name, path, pathSize);
    if (fitsInFolder && listings.find(path, pathSize)) return true;
    if (meshFolder != texturesDir) {
        std::string inFolder = fitsInFolder ? path : "";
        if (buildTexturePath(meshFolder.c_str(), name, path, pathSize) &&
            listings.find(path, pathSize))
            return true;
        // Found nowhere: the path in the textures folder, as before there was a second place.
        if (fitsInFolder) std::memcpy(path, inFolder.c_str(), inFolder.size() + 1);
    }
    return fitsInFolder;
}
