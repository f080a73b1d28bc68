#include "tools/convert/import_left_out.h"

#include <assimp/material.h>
#include <string>

namespace {

const char* const onePose = "left out: animation (a .msh file holds one pose)";

void noteSceneParts(const aiScene& scene, Notes& notes) {
    if (scene.mNumAnimations > 0) notes.say(onePose);
    if (scene.mNumCameras > 0) notes.say("left out: cameras");
    if (scene.mNumLights > 0) notes.say("left out: lights");
}

void notePrimitivesOtherThanTriangles(const aiMesh& mesh, Notes& notes) {
    const char* triangleOnly = "(a .msh file holds triangles only)";
    if (mesh.mPrimitiveTypes & aiPrimitiveType_POINT)
        notes.say(std::string("left out: points ") + triangleOnly);
    if (mesh.mPrimitiveTypes & aiPrimitiveType_LINE)
        notes.say(std::string("left out: lines ") + triangleOnly);
}

// What a group made of this mesh loses; `channel` is the coordinate set it keeps.
void noteVertexParts(const aiMesh& mesh, unsigned channel, Notes& notes) {
    if (mesh.HasBones() || mesh.mNumAnimMeshes > 0) notes.say(onePose);
    if (mesh.HasVertexColors(0)) notes.say("left out: vertex colours");
    for (unsigned c = 0; c < AI_MAX_NUMBER_OF_TEXTURECOORDS; ++c)
        if (c != channel && mesh.HasTextureCoords(c))
            notes.say("left out: texture coordinate sets other than the diffuse texture's");
}

void noteOtherMaps(const aiMaterial& material, Notes& notes) {
    for (int type = aiTextureType_NONE + 1; type <= AI_TEXTURE_TYPE_MAX; ++type) {
        const auto textureType = static_cast<aiTextureType>(type);
        // glTF names its base colour map a second time as the diffuse map.
        if (textureType == aiTextureType_BASE_COLOR) continue;
        unsigned count = material.GetTextureCount(textureType);
        if (count > (textureType == aiTextureType_DIFFUSE ? 1u : 0u))
            notes.say("left out: texture maps other than the (first) diffuse colour map");
    }
}

} // namespace

void noteWhatIsLeftOut(const aiScene& scene, const std::vector<Placement>& placements,
                       const std::vector<unsigned>& uvChannels, Notes& notes) {
    noteSceneParts(scene, notes);
    for (const Placement& placement : placements) {
        const aiMesh& mesh = *placement.mesh;
        notePrimitivesOtherThanTriangles(mesh, notes);
        if (!holdsTriangles(mesh)) continue;
        noteVertexParts(
            mesh, mesh.mMaterialIndex < uvChannels.size() ? uvChannels[mesh.mMaterialIndex] : 0,
            notes);
        if (mesh.mMaterialIndex < scene.mNumMaterials)
            noteOtherMaps(*scene.mMaterials[mesh.mMaterialIndex], notes);
    }
}
