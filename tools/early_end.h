#pragma once

#include <string>

// Walks a mesh file's sections as the reader does, counting lines, and tells the section whose
// declared records ran past the end of the file, with where: "GROUPS 5 ran short at group 3 of
// 5". Empty when the file held every record it declared (or cannot be opened). Call it right
// after loadMesh(path): the scene tells which files need the walk at all.
std::string findEarlyEnd(const char* path);
