#pragma once

#include "tools/convert/import_textures.h"
#include "tools/convert/msh_model.h"
#include "tools/convert/notes.h"

#include <assimp/scene.h>

#include <string>

// The .msh model of an imported scene (triangulated, sorted by primitive type, normals made
// where missing). One group per mesh placed by a node, with the node's transforms applied and
// the source's up axis turned to the second coordinate; vertices that are equal in every
// number are kept once. Materials as the viewer draws them: diffuse with the opacity as its
// alpha, ambient (the diffuse colour where the source has none or a black one), specular,
// shininess as the power, emissive, made visible as visible_materials.h says; assimp's
// stand-in for "no material" becomes the viewer's default, 0.
// What a .msh file cannot hold is said in `notes`. False (with `error`) when nothing is left
// to write or an embedded image cannot be written.
bool sceneToMsh(const aiScene& scene, ImportTextures& textures, Notes& notes, MshModel& model,
                std::string& error);
