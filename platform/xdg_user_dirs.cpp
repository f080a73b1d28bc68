#include "platform/xdg_user_dirs.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void skipBlanks(std::string_view& text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
}

bool take(std::string_view& text, std::string_view prefix) {
    if (text.substr(0, prefix.size()) != prefix) return false;
    text.remove_prefix(prefix.size());
    return true;
}

// The folder one line names for key, or false when the line is about something else or does
// not read as xdg-user-dirs writes it.
bool folderOfLine(std::string_view line, std::string_view key, const std::string& home,
                  std::string& folder) {
    skipBlanks(line);
    if (!take(line, key)) return false;
    skipBlanks(line);
    if (!take(line, "=")) return false;
    skipBlanks(line);
    if (!take(line, "\"")) return false;
    std::string path;
    if (take(line, "$HOME/") || (take(line, "$HOME") && line.substr(0, 1) == "\"")) {
        if (home.empty()) return false;
        path = home + "/";
    } else if (line.substr(0, 1) != "/") {
        return false;
    }
    for (std::size_t i = 0; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) ++i;
        path += line[i];
    }
    folder = path;
    return true;
}

bool isFolder(const std::string& path, struct stat& status) {
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool isSet(const char* variable) {
    return variable && variable[0] != '\0';
}

} // namespace

std::string userDirFromFile(std::string_view content, std::string_view key,
                            const std::string& home) {
    std::string folder;
    while (!content.empty()) {
        std::size_t end = content.find('\n');
        std::string_view line = content.substr(0, end);
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
        std::string named;
        if (folderOfLine(line, key, home, named)) folder = named;
    }
    return folder;
}

bool picturesFolder(const UserDirsEnvironment& environment, std::string& folder) {
    std::string home = isSet(environment.home) ? environment.home : "";
    std::string named;
    if (isSet(environment.picturesDir)) {
        named = environment.picturesDir;
    } else {
        // A relative XDG_CONFIG_HOME is not valid and counts as unset.
        std::string configHome;
        if (isSet(environment.configHome) && environment.configHome[0] == '/')
            configHome = environment.configHome;
        else if (!home.empty())
            configHome = home + "/.config";
        if (configHome.empty()) return false;
        named = userDirFromFile(readFile(configHome + "/user-dirs.dirs"), "XDG_PICTURES_DIR", home);
    }
    struct stat found = {};
    struct stat homeStatus = {};
    if (named.empty() || !isFolder(named, found)) return false;
    if (!home.empty() && isFolder(home, homeStatus) && found.st_dev == homeStatus.st_dev &&
        found.st_ino == homeStatus.st_ino)
        return false;
    folder = named;
    return true;
}

bool picturesFolder(std::string& folder) {
    const char* home = std::getenv("HOME");
    if (!isSet(home)) {
        const passwd* user = getpwuid(getuid());
        home = user ? user->pw_dir : nullptr;
    }
    return picturesFolder({home, std::getenv("XDG_CONFIG_HOME"), std::getenv("XDG_PICTURES_DIR")},
                          folder);
}
