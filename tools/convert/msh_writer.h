#pragma once

#include "tools/convert/msh_model.h"

#include <cstdio>
#include <functional>

// Writes the model as MSHX1 text: the groups, the materials, then the texture list (which
// ends the reading, so it comes last). Every float is written in the fewest digits that read
// back as the same 32-bit float. onProgress hears the share of lines written (0 to 1).
// False when a write fails.
bool writeMsh(std::FILE* out, const MshModel& model,
              const std::function<void(double)>& onProgress = {});
