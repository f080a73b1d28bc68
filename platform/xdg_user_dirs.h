#pragma once

#include <string>
#include <string_view>

// The folder a user-dirs.dirs file names for a key such as "XDG_PICTURES_DIR", read as
// xdg-user-dirs reads it: a line `KEY="$HOME/Pictures"` (within home) or `KEY="/absolute"`,
// backslash escaping the next character; the last line naming the key counts. Empty when no line
// names it, or when it is relative to home and home is empty.
std::string userDirFromFile(std::string_view content, std::string_view key,
                            const std::string& home);

// What the pictures folder is looked up from; a null text is an unset variable.
struct UserDirsEnvironment {
    const char* home;
    const char* configHome;  // XDG_CONFIG_HOME
    const char* picturesDir; // XDG_PICTURES_DIR
};

// The pictures folder: XDG_PICTURES_DIR from the environment if set, else from user-dirs.dirs in
// the configuration folder. False when none is named, the folder does not exist, or it is the
// home folder itself (xdg-user-dirs' way of saying there is none).
bool picturesFolder(const UserDirsEnvironment& environment, std::string& folder);

// The same for this process's environment; without HOME, the home folder of the user database.
bool picturesFolder(std::string& folder);
