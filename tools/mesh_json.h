#pragma once

#include <cstdio>

// Writes meshScene's mesh as one JSON object (groups, materials, textures), values as stored.
// Floats print with 9 significant digits so they read back as the same 32-bit float;
// non-finite floats print as null.
void writeMeshJson(std::FILE* out);
