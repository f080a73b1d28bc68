#pragma once

#include "tools/convert/import_placement.h"
#include "tools/convert/notes.h"

#include <assimp/scene.h>

#include <vector>

// Says in `notes` what of the scene a .msh file cannot hold: animation, cameras, lights, points
// and lines, vertex colours, texture coordinate sets other than the one each material's
// diffuse map reads (`uvChannels`, by material), and texture maps other than the first diffuse
// one.
void noteWhatIsLeftOut(const aiScene& scene, const std::vector<Placement>& placements,
                       const std::vector<unsigned>& uvChannels, Notes& notes);
