#pragma once

#include "mesh/record_array.h"
#include "mesh/text_field.h"

#include <cstddef>
#include <memory>

struct MeshVertex {
    float x, y, z;    // position, as in the file
    float nx, ny, nz; // normal, not necessarily of unit length
    float u, v;       // texture coordinates
};

struct MeshTriangle {
    int indices[3]; // 0-based corners into the same group's vertices
};

struct MeshGroup {
    int vertexCount = 0;
    int triangleCount = 0;
    int material = -1; // -1 = previous group's, 0 = default, k = materials[k - 1]
    int texture = 0;   // 0 = none, k = GL texture name k
    RecordArray<MeshVertex> vertices;
    RecordArray<MeshTriangle> triangles;
};

struct MeshMaterial {
    char name[textFieldSize] = {}; // first word of the name line; not drawn
    float diffuse[4] = {};
    float ambient[4] = {};
    float specular[4] = {};
    float power = 0; // specular exponent
    float emissive[4] = {};
};

using TextureName = char[textFieldSize];

class MeshScene {
  public:
    float rotationY = 0; // degrees
    float rotationZ = 0; // degrees
    int groupCount = 0;
    int materialCount = 0;
    int textureCount = 0; // GL texture names 1..textureCount belong to the mesh
    std::unique_ptr<MeshGroup[]> groups;
    std::unique_ptr<MeshMaterial[]> materials;
    std::unique_ptr<TextureName[]> textureNames;
    char texturesDir[textFieldSize] = {};
    bool texturesDirSet = false;
    float cameraDistance = 10.0f;

    // Back to the no-mesh state; deletes GL texture names 1..textureCount.
    void releaseMesh();
    // Asks the user for the textures folder; the folder counts as chosen even on cancel.
    void chooseTexturesDirectory();
    void setTexturesDirectory(const char* text);
    // Empty until a directory was chosen or loaded.
    const char* texturesDirectory() const;
    // The eye never comes nearer than 0.1; NaN is stored as it is.
    void setDistance(float value);
};

extern constinit MeshScene meshScene;
