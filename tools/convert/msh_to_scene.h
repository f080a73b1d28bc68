#pragma once

#include "tools/convert/convert_options.h"
#include "tools/convert/notes.h"

#include <assimp/scene.h>

#include <memory>
#include <string>

struct MshExport {
    const OutputFormat* format = nullptr;
    std::string texturesDir; // where the mesh's texture names are looked up first
    std::string meshPath;    // then beside this file
    std::string outputPath;  // texture references are made relative to its folder
};

// The assimp scene of the mesh in meshScene (as loadMesh read it), the inverse of
// sceneToMsh: one mesh per group that has triangles, each under its own node; a group's
// material -1 resolved as the draw pass resolves it (the group before it, the default for the
// first); one material for each pair of material and texture that groups use together, the
// texture as its diffuse map, referred to relative to OUT's folder (a GLB file holds the images
// inside, PNG and JPEG as they are, others made PNG). Triangles whose corners lie outside their
// group are skipped, as the viewer skips them. Null (with `error`) when no triangle is left to
// write.
std::unique_ptr<aiScene> mshToScene(const MshExport& settings, Notes& notes, std::string& error);
