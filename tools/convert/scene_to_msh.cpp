#include "tools/convert/scene_to_msh.h"

#include "tools/convert/import_geometry.h"
#include "tools/convert/import_left_out.h"
#include "tools/convert/import_materials.h"
#include "tools/convert/import_placement.h"
#include "tools/convert/names.h"
#include "tools/convert/visible_materials.h"

#include <vector>

namespace {

// What each assimp material brings to the groups that use it, by material index.
struct MaterialUse {
    std::vector<unsigned> uvChannels; // the coordinate set its diffuse map reads
    std::vector<int> textures;        // its diffuse map's texture number, 0 for none
    MaterialTable materials;          // its material number
    std::vector<bool> topRowFirst;    // by texture number - 1
};

std::vector<unsigned> diffuseChannels(const aiScene& scene) {
    std::vector<unsigned> channels(scene.mNumMaterials, 0);
    for (unsigned i = 0; i < scene.mNumMaterials; ++i)
        channels[i] = diffuseChannel(*scene.mMaterials[i]);
    return channels;
}

// Marks the materials that groups use and numbers their diffuse maps. False (with `error`)
// when an embedded image cannot be written.
bool useMaterialsAndTextures(const aiScene& scene, const std::vector<Placement>& placements,
                             ImportTextures& textures, MaterialUse& use, std::string& error) {
    std::vector<bool> textureLooked(scene.mNumMaterials, false);
    for (const Placement& placement : placements) {
        const unsigned index = placement.mesh->mMaterialIndex;
        if (!holdsTriangles(*placement.mesh) || index >= scene.mNumMaterials) continue;
        use.materials.use(index);
        if (textureLooked[index]) continue;
        textureLooked[index] = true;
        aiString reference;
        if (scene.mMaterials[index]->GetTexture(aiTextureType_DIFFUSE, 0, &reference) ==
                AI_SUCCESS &&
            !textures.numberFor(reference, use.textures[index])) {
            error = textures.error();
            return false;
        }
    }
    return true;
}

// The group of a placed mesh, with its material, texture and label; `number` counts from 1.
MshGroup groupOf(const Placement& placement, const MaterialUse& use, std::size_t number,
                 Notes& notes) {
    const aiMesh& mesh = *placement.mesh;
    const unsigned index = mesh.mMaterialIndex;
    const int texture = index < use.textures.size() ? use.textures[index] : 0;
    MshGroup group = makeGroup(placement, index < use.uvChannels.size() ? use.uvChannels[index] : 0,
                               texture > 0 && use.topRowFirst[texture - 1]);
    group.material = use.materials.numberOf(index);
    group.texture = texture;
    const std::string label =
        mesh.mName.length > 0 ? mesh.mName.C_Str() : placement.node->mName.C_Str();
    group.label = mshWord(label, longestGroupLabel, "group" + std::to_string(number));
    if (!label.empty()) noteChangedName(label, group.label, "group", notes);
    return group;
}

} // namespace

bool sceneToMsh(const aiScene& scene, ImportTextures& textures, Notes& notes, MshModel& model,
                std::string& error) {
    const std::vector<Placement> placements = placedMeshes(scene);
    MaterialUse use;
    use.uvChannels = diffuseChannels(scene);
    use.textures.assign(scene.mNumMaterials, 0);
    noteWhatIsLeftOut(scene, placements, use.uvChannels, notes);
    if (!useMaterialsAndTextures(scene, placements, textures, use, error)) return false;
    use.materials.number(scene, model, notes);
    makeMaterialsVisible(model, notes);
    model.textures = textures.names();
    use.topRowFirst = textures.rowOrders();

    for (const Placement& placement : placements)
        if (holdsTriangles(*placement.mesh))
            model.groups.push_back(groupOf(placement, use, model.groups.size() + 1, notes));
    if (model.groups.empty()) {
        error = "no triangles to write (a .msh file holds triangles only)";
        return false;
    }
    return true;
}
