#pragma once

#include <cstdio>

// Writes a short human summary of meshScene: counts, the texture entries whose image did not
// load (texturesChecked: a GL context was there to load them), and numbers out of range.
void writeMeshSummary(std::FILE* out, const char* meshPath, bool texturesChecked);
