#include "tools/convert/import_placement.h"

#include <cstdint>
#include <cstring>

namespace {

// An FBX file says its axes; the rotation that brings them to the viewer's.
Affine statedAxes(const aiMetadata& metadata) {
    Affine frame;
    int32_t up = 1, upSign = 1, front = 2, frontSign = 1, coord = 0, coordSign = 1;
    if (!metadata.Get("UpAxis", up)) return frame;
    metadata.Get("UpAxisSign", upSign);
    metadata.Get("FrontAxis", front);
    metadata.Get("FrontAxisSign", frontSign);
    metadata.Get("CoordAxis", coord);
    metadata.Get("CoordAxisSign", coordSign);
    auto valid = [](int32_t axis) { return axis >= 0 && axis <= 2; };
    if (!valid(up) || !valid(front) || !valid(coord) || up == front || up == coord ||
        front == coord)
        return frame;
    Affine axes;
    for (auto& row : axes.m)
        row[0] = row[1] = row[2] = 0;
    axes.m[0][coord] = coordSign < 0 ? -1 : 1;
    axes.m[1][up] = upSign < 0 ? -1 : 1;
    axes.m[2][front] = frontSign < 0 ? -1 : 1;
    return axes;
}

// The rotation that brings the source's up axis to y. assimp turns COLLADA and 3DS files
// itself; STL is z-up by the custom of the tools that write it; an FBX file says its axes.
Affine sourceFrame(const aiScene& scene) {
    Affine frame;
    aiString format;
    if (!scene.mMetaData || !scene.mMetaData->Get("SourceAsset_Format", format)) return frame;
    if (std::strncmp(format.C_Str(), "Stereolithography", 17) == 0) {
        frame.m[1][1] = 0, frame.m[1][2] = 1;  // y' = z
        frame.m[2][1] = -1, frame.m[2][2] = 0; // z' = -y
        return frame;
    }
    return statedAxes(*scene.mMetaData);
}

} // namespace

std::vector<Placement> placedMeshes(const aiScene& scene) {
    std::vector<Placement> placements;
    if (!scene.mRootNode) return placements;
    // Without recursion: node chains can be long.
    std::vector<std::pair<const aiNode*, Affine>> pending{
        {scene.mRootNode, sourceFrame(scene) * Affine::of(scene.mRootNode->mTransformation)}};
    while (!pending.empty()) {
        auto [node, transform] = pending.back();
        pending.pop_back();
        for (unsigned i = 0; i < node->mNumMeshes; ++i)
            if (node->mMeshes[i] < scene.mNumMeshes)
                placements.push_back({scene.mMeshes[node->mMeshes[i]], transform, node});
        for (unsigned i = node->mNumChildren; i-- > 0;)
            pending.emplace_back(node->mChildren[i],
                                 transform * Affine::of(node->mChildren[i]->mTransformation));
    }
    return placements;
}

bool holdsTriangles(const aiMesh& mesh) {
    return (mesh.mPrimitiveTypes & aiPrimitiveType_TRIANGLE) != 0 && mesh.mNumFaces > 0;
}
