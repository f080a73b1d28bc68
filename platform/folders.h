#pragma once

#include <string>
#include <vector>

// Folders, as the viewer's keys need them. Each system has its own file, chosen by the build:
// platform/folders_posix.cpp, platform/win32/folders_win32.cpp.

// The names (not paths) of the regular files in folder, in no particular order. False when the
// folder cannot be read.
bool filesInFolder(const char* folder, std::vector<std::string>& names);

// Makes the folder at path unless it is there; its parent must exist. True when a folder is
// there afterwards.
bool makeFolder(const char* path);
