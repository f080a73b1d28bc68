#include "tests/convert/mesh_snapshot.h"

#include "mesh/mesh_reader.h"
#include "mesh/texture_loader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

MeshMaterial MeshSnapshot::drawnMaterial(const GroupSnapshot& group) const {
    if (group.material >= 1 && group.material <= static_cast<int>(materials.size()))
        return materials[group.material - 1];
    return {{}, {1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}, 0, {0, 0, 0, 0}};
}

MeshSnapshot readMeshFile(const std::string& path) {
    // The images are not looked at here: no GL context, no texture loading.
    setTextureContextHook([] { return false; });
    meshScene.releaseMesh();
    meshScene.setTexturesDirectory("");
    MeshSnapshot snapshot;
    snapshot.loaded = loadMesh(path.c_str());
    int previous = 0;
    for (int i = 0; i < meshScene.groupCount; ++i) {
        const MeshGroup& group = meshScene.groups[i];
        GroupSnapshot copy;
        copy.material = group.material == -1 ? previous : group.material;
        previous = copy.material;
        if (group.texture >= 1 && group.texture <= meshScene.textureCount)
            copy.texture = meshScene.textureNames[group.texture - 1];
        copy.vertices.assign(group.vertices.get(), group.vertices.get() + group.vertexCount);
        copy.triangles.assign(group.triangles.get(), group.triangles.get() + group.triangleCount);
        snapshot.groups.push_back(std::move(copy));
    }
    snapshot.materials.assign(meshScene.materials.get(),
                              meshScene.materials.get() + meshScene.materialCount);
    for (int i = 0; i < meshScene.textureCount; ++i)
        snapshot.textures.emplace_back(meshScene.textureNames[i]);
    meshScene.releaseMesh();
    return snapshot;
}

std::vector<CornerTriangle> drawnTriangles(const GroupSnapshot& group) {
    std::vector<CornerTriangle> triangles;
    for (const MeshTriangle& triangle : group.triangles) {
        CornerTriangle corners;
        for (int k = 0; k < 3; ++k)
            std::memcpy(corners[k].data(), &group.vertices.at(triangle.indices[k]),
                        sizeof(MeshVertex));
        auto least = std::min_element(corners.begin(), corners.end());
        std::rotate(corners.begin(), least, corners.end());
        triangles.push_back(corners);
    }
    std::sort(triangles.begin(), triangles.end());
    return triangles;
}

bool nearlyEqual(float a, float b) {
    return std::fabs(a - b) <= 4e-7f * std::max({1.0f, std::fabs(a), std::fabs(b)});
}
