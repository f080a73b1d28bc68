#pragma once

#include <cstddef>

// Builds the image path of a texture entry: directory, '/', name, with '\' in the name read as
// '/' (meshes made on Windows). False when the path does not fit pathSize; nothing is cut.
bool buildTexturePath(const char* directory, const char* name, char* path, std::size_t pathSize);

// When path names no existing file, looks in its folder for a file whose name differs only in
// the case of ASCII letters and writes that path in its place (if it fits).
void resolveImageFileCase(char* path, std::size_t pathSize);
