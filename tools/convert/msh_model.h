#pragma once

#include "mesh/mesh_scene.h"

#include <string>
#include <vector>

// A mesh on its way into a .msh file: the records of mesh/mesh_scene.h, in growable arrays.
struct MshGroup {
    std::string label;
    int material = 0; // 0 = the viewer's default material, k = materials[k - 1]
    int texture = 0;  // 0 = none, k = textures[k - 1]
    std::vector<MeshVertex> vertices;
    std::vector<MeshTriangle> triangles;
};

struct MshModel {
    std::vector<MshGroup> groups;
    std::vector<MeshMaterial> materials;
    std::vector<std::string> textures; // names relative to the .msh file's folder
};
