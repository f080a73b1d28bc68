#pragma once

#include "mesh/mesh_scene.h"

#include <array>
#include <string>
#include <vector>

// A .msh file as the viewer reads it (loadMesh), kept apart from meshScene, with each group's
// material resolved as the draw pass resolves it (-1: the group before; out of range: default).
struct GroupSnapshot {
    int material = 0;    // as drawn
    std::string texture; // the texture's name, empty for none
    std::vector<MeshVertex> vertices;
    std::vector<MeshTriangle> triangles;
};

struct MeshSnapshot {
    bool loaded = false;
    std::vector<GroupSnapshot> groups;
    std::vector<MeshMaterial> materials;
    std::vector<std::string> textures;

    // The material a group is drawn with (the draw pass's default for 0).
    MeshMaterial drawnMaterial(const GroupSnapshot& group) const;
};

MeshSnapshot readMeshFile(const std::string& path);

// A group's triangles as the viewer draws them, independent of how the vertices are numbered:
// each triangle as its three corners' eight numbers, turned to start at its least corner
// (keeping its winding), the list sorted.
using Corner = std::array<float, 8>;
using CornerTriangle = std::array<Corner, 3>;
std::vector<CornerTriangle> drawnTriangles(const GroupSnapshot& group);

// Numbers equal as text formats carry them: within a few units of the last of 9 digits
// (absolute near zero).
bool nearlyEqual(float a, float b);
