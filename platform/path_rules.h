#pragma once

// How the system the program runs on writes paths. Each system has its own file, chosen by the
// build: platform/path_rules_posix.cpp, platform/win32/path_rules_win32.cpp.

// Put between a folder and a name: '/' on Linux, '\' on Windows.
char pathSeparator();

// A character of a file name written in a mesh, as this system reads it: meshes made on
// Windows separate folders with '\', which Linux reads as '/'.
char nativeNameCharacter(char written);

// True where the file system tells names apart by the case of their letters; a texture that
// is missing under its exact name is then looked for ignoring case (meshes made on Windows).
bool fileNamesCaseSensitive();

// True when a file or folder is found under path, spelt as the program's other file calls take
// it: on Windows in the ANSI code page, which the program's manifest makes UTF-8.
bool pathExists(const char* path);
