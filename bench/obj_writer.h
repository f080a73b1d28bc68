#pragma once

#include "bench/mesh_generator.h"

#include <string>

// Writes mesh's groups as Wavefront OBJ text with LF line ends: per group a "g" line with its
// label, then for each vertex its "v", "vn" and "vt" lines, then its faces "f a/a/a b/b/b c/c/c"
// with 1-based indices counted across all groups. Numbers are the same text writeMesh prints.
// Materials and textures are left out. False when a label holds a space, tab or line end, an
// index is out of its group's range, or the file cannot be written.
bool writeObj(const char* path, const GenMesh& mesh);

// The name a group gets on its "g" line: its label, or "group" and its 1-based number.
std::string objGroupName(const GenGroup& group, int groupIndex);
