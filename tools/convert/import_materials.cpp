#include "tools/convert/import_materials.h"

#include "tools/convert/names.h"

#include <assimp/material.h>
#include <cstddef>
#include <cstring>
#include <map>
#include <string>

namespace {

aiColor4D colour(const aiMaterial& material, const char* key, unsigned type, unsigned index,
                 const aiColor4D& otherwise, bool& found) {
    aiColor4D value;
    found = aiGetMaterialColor(&material, key, type, index, &value) == AI_SUCCESS;
    return found ? value : otherwise;
}

float number(const aiMaterial& material, const char* key, unsigned type, unsigned index,
             float otherwise) {
    float value = otherwise;
    unsigned count = 1;
    if (aiGetMaterialFloatArray(&material, key, type, index, &value, &count) != AI_SUCCESS)
        return otherwise;
    return value;
}

void setColour(float (&target)[4], const aiColor4D& value, float alpha) {
    target[0] = value.r;
    target[1] = value.g;
    target[2] = value.b;
    target[3] = alpha;
}

MeshMaterial mshMaterial(const aiMaterial& source) {
    MeshMaterial material;
    bool found = false;
    aiColor4D diffuse = colour(source, AI_MATKEY_COLOR_DIFFUSE, aiColor4D(1, 1, 1, 1), found);
    if (!found) diffuse = colour(source, AI_MATKEY_BASE_COLOR, aiColor4D(1, 1, 1, 1), found);
    const float opacity = number(source, AI_MATKEY_OPACITY, 1.0f);
    setColour(material.diffuse, diffuse, opacity);
    // What the viewer shows is ambient + emissive (it has no lights): without an ambient
    // colour of its own, the surface shows its diffuse colour.
    setColour(material.ambient, colour(source, AI_MATKEY_COLOR_AMBIENT, diffuse, found), opacity);
    setColour(material.specular,
              colour(source, AI_MATKEY_COLOR_SPECULAR, aiColor4D(0, 0, 0, 1), found), 1.0f);
    material.power = number(source, AI_MATKEY_SHININESS, 0.0f);
    setColour(material.emissive,
              colour(source, AI_MATKEY_COLOR_EMISSIVE, aiColor4D(0, 0, 0, 1), found), 1.0f);
    return material;
}

std::string materialKey(const std::string& name, const MeshMaterial& material) {
    std::string key = materialBaseName(name);
    key += '\0';
    key.append(reinterpret_cast<const char*>(material.diffuse),
               sizeof material - offsetof(MeshMaterial, diffuse));
    return key;
}

// The msh number of the assimp material at `index`: 0 for assimp's stand-in for "no
// material" (also when taken out with a texture), else that of an equal material met before,
// or of one added now.
int addMaterial(const aiMaterial& source, unsigned index, std::map<std::string, int>& byKey,
                MshModel& model, Notes& notes) {
    aiString sourceName;
    source.Get(AI_MATKEY_NAME, sourceName);
    if (materialBaseName(sourceName.C_Str()) == AI_DEFAULT_MATERIAL_NAME) return 0;
    MeshMaterial material = mshMaterial(source);
    std::string name =
        mshWord(sourceName.C_Str(), longestMaterialName, "material" + std::to_string(index + 1));
    noteChangedName(sourceName.C_Str(), name, "material", notes);
    auto [place, added] =
        byKey.emplace(materialKey(name, material), static_cast<int>(model.materials.size()) + 1);
    if (added) {
        std::memcpy(material.name, name.c_str(), name.size() + 1);
        model.materials.push_back(material);
    }
    return place->second;
}

} // namespace

void MaterialTable::number(const aiScene& scene, MshModel& model, Notes& notes) {
    numbers.assign(used.size(), 0);
    std::map<std::string, int> byKey;
    for (unsigned i = 0; i < used.size() && i < scene.mNumMaterials; ++i)
        if (used[i]) numbers[i] = addMaterial(*scene.mMaterials[i], i, byKey, model, notes);
}

unsigned diffuseChannel(const aiMaterial& material) {
    int channel = 0;
    if (material.Get(AI_MATKEY_UVWSRC_DIFFUSE(0), channel) != AI_SUCCESS || channel < 0 ||
        channel >= AI_MAX_NUMBER_OF_TEXTURECOORDS)
        return 0;
    return static_cast<unsigned>(channel);
}
