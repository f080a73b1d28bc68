#pragma once

#include <cstddef>

// Builds the image path of a texture entry: directory, the system's separator, name, with the
// name's characters as the system reads them ('\' is '/' on Linux, for meshes made on Windows).
// False when the path does not fit pathSize; nothing is cut.
bool buildTexturePath(const char* directory, const char* name, char* path, std::size_t pathSize);

// On a file system that tells case apart: when path names no existing file, looks in its folder
// for a file whose name differs only in the case of ASCII letters and writes that path in its
// place (if it fits). Elsewhere the file system's own rules find the file.
void resolveImageFileCase(char* path, std::size_t pathSize);
