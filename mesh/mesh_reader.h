#pragma once

// Reads the mesh file at path into meshScene. False when the file cannot be opened, its first
// line is not exactly the magic line, or its declared counts cannot be real (more records than
// a file of its size could hold); a false result leaves meshScene as it was. Call releaseMesh
// first.
bool loadMesh(const char* path);
