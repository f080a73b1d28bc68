#pragma once

#include "mesh/mesh_read_result.h"

#include <string>
#include <vector>

// Reads the mesh file at path into meshScene. False when the file cannot be opened, its first
// line is not exactly the magic line, or its declared counts cannot be real (more records than
// a file of its size could hold); a false result leaves meshScene as it was. Call releaseMesh
// first.
bool loadMesh(const char* path);
// The same read, saying in result which check refused the file, on which line, and whether a
// section of a loaded file ran out of lines before its declared count.
bool loadMesh(const char* path, MeshReadResult& result);

// Reads the mesh file at path in place of the mesh shown, as releaseMesh and then loadMesh
// would; but a refused file leaves the shown mesh as it was, its textures included.
bool replaceMesh(const char* path);

// The image files that the texture list of the mesh read last named and found.
const std::vector<std::string>& meshImagePaths();
