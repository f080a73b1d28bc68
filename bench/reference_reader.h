#pragma once

#include "mesh/mesh_scene.h"

// A plain reader of the same format for comparison in the load benchmark: std::fgets into a
// 256-byte buffer and one sscanf per line, with the patterns the viewer's reader uses, filling
// the viewer's own record types.
struct ReferenceScene {
    int groupCount = 0;
    int materialCount = 0;
    int textureCount = 0;
    std::unique_ptr<MeshGroup[]> groups;
    std::unique_ptr<MeshMaterial[]> materials;
    std::unique_ptr<TextureName[]> textureNames;
};

// False when the file cannot be read, its first line is not the magic line, or a line does not
// scan as its place in the file requires.
bool readReference(const char* path, ReferenceScene& scene);

// Sums of all vertex fields and all triangle corners: equal sums from two readers of one file
// mean they stored the same numbers (up to rounding order).
struct MeshSums {
    long long vertices = 0;
    long long triangles = 0;
    double vertexFields = 0;
    long long cornerIndices = 0;
};
MeshSums sumGroups(const MeshGroup* groups, int groupCount);
