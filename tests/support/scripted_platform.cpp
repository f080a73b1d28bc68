#include "tests/support/scripted_platform.h"

#include <cstring>

bool ScriptedPlatform::browseForFolder(const char* title, char* path, std::size_t pathSize) {
    folderTitles.push_back(title);
    if (folderAnswer.empty() || folderAnswer.size() >= pathSize) {
        path[0] = '\0';
        return false;
    }
    std::memcpy(path, folderAnswer.c_str(), folderAnswer.size() + 1);
    return true;
}
