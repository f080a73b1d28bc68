#include "tools/convert/msh_to_scene.h"

#include "mesh/mesh_scene.h"
#include "mesh/texture_path.h"
#include "tools/convert/frame.h"
#include "tools/convert/image_origin.h"
#include "tools/convert/names.h"
#include "tools/convert/png_image.h"

#include <algorithm>
#include <assimp/GltfMaterial.h>
#include <assimp/material.h>
#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The draw pass's default material (material 0).
constexpr MeshMaterial defaultMaterial = {
    {},   {1.0f, 1.0f, 1.0f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f},
    0.0f, {0.0f, 0.0f, 0.0f, 0.0f}};

// The material number each group is drawn with: -1 takes the previous group's, the first
// group's -1 is the default; numbers without a material are the default too.
std::vector<int> drawnMaterials() {
    std::vector<int> numbers(static_cast<std::size_t>(meshScene.groupCount), 0);
    int previous = 0;
    for (int i = 0; i < meshScene.groupCount; ++i) {
        int number = meshScene.groups[i].material;
        if (number == -1) number = previous;
        previous = number;
        numbers[i] = number >= 1 && number <= meshScene.materialCount ? number : 0;
    }
    return numbers;
}

int drawnTexture(const MeshGroup& group) {
    return group.texture >= 1 && group.texture <= meshScene.textureCount ? group.texture : 0;
}

bool cornersInside(const MeshTriangle& triangle, int vertexCount) {
    for (int corner : triangle.indices)
        if (corner < 0 || corner >= vertexCount) return false;
    return true;
}

// ---- textures

struct TextureImage {
    std::string reference; // as the exported file names it
    std::string imagePath; // where it is read now
    bool found = false;
    bool topRowFirst = true;
    int embedded = -1;    // index into the scene's textures
    bool madePng = false; // put inside as a PNG made from its pixels
};

std::string imageKind(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char head[4] = {};
    in.read(reinterpret_cast<char*>(head), sizeof head);
    if (in.gcount() == 4 && std::memcmp(head, "\x89PNG", 4) == 0) return "png";
    if (in.gcount() >= 3 && head[0] == 0xff && head[1] == 0xd8 && head[2] == 0xff) return "jpg";
    return {};
}

std::vector<char> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.eof() && in.fail()) bytes.clear();
    return bytes;
}

template <typename Byte>
aiTexture* embeddedImage(const std::vector<Byte>& bytes, const char* kind,
                         const std::string& name) {
    if (bytes.empty() || bytes.size() > UINT_MAX) return nullptr;
    auto* texture = new aiTexture;
    texture->mWidth = static_cast<unsigned>(bytes.size());
    texture->mHeight = 0;
    std::strncpy(texture->achFormatHint, kind, sizeof texture->achFormatHint - 1);
    // aiTexture frees its data as texels; compressed bytes fill them in order.
    texture->pcData = new aiTexel[(bytes.size() + sizeof(aiTexel) - 1) / sizeof(aiTexel)];
    std::memcpy(texture->pcData, bytes.data(), bytes.size());
    texture->mFilename = aiString(fs::path(name).filename().string());
    return texture;
}

// The image as glTF holds it: PNG and JPEG files as they are, other formats made PNG.
aiTexture* glbImage(TextureImage& image, const char* name, Notes& notes) {
    const std::string kind = imageKind(image.imagePath);
    if (!kind.empty()) return embeddedImage(fileBytes(image.imagePath), kind.c_str(), name);
    std::vector<unsigned char> png;
    if (!pngOfImageFile(image.imagePath, png)) {
        notes.say(std::string("texture ") + name +
                  " does not decode: referred to, not put inside the GLB file");
        return nullptr;
    }
    aiTexture* texture = embeddedImage(png, "png", name);
    if (texture) {
        notes.say("textures other than PNG and JPEG put inside the GLB file as PNG");
        image.madePng = true;
    }
    return texture;
}

// Where texture `name` is read now, and how OUT refers to it; said when it is not found.
void locateImage(TextureImage& image, const char* name, TextureImageFinder& finder,
                 const MshExport& settings, Notes& notes) {
    char path[PATH_MAX];
    if (!finder.find(name, path, sizeof path)) std::snprintf(path, sizeof path, "%s", name);
    image.imagePath = path;
    std::error_code error;
    image.found = fs::is_regular_file(image.imagePath, error);
    image.reference = pathRelativeTo(image.imagePath, folderOf(settings.outputPath));
    if (!image.found)
        notes.say(std::string("texture ") + name + " not found in " + settings.texturesDir +
                  (settings.texturesDir == folderOf(settings.meshPath)
                       ? ""
                       : " nor beside " + settings.meshPath) +
                  "; referred to as " + image.reference);
}

// The image inside the GLB file, referred to by its place there ("*0", "*1", ...).
void embedImage(TextureImage& image, const char* name, std::vector<aiTexture*>& embedded,
                Notes& notes) {
    aiTexture* texture = glbImage(image, name, notes);
    if (!texture) return;
    image.embedded = static_cast<int>(embedded.size());
    image.reference = std::string(1, '*').append(std::to_string(image.embedded));
    embedded.push_back(texture);
}

std::vector<TextureImage> findImages(const MshExport& settings, const std::set<int>& used,
                                     std::vector<aiTexture*>& embedded, Notes& notes) {
    std::vector<TextureImage> images(static_cast<std::size_t>(meshScene.textureCount) + 1);
    const bool embed = std::strcmp(settings.format->name, "glb") == 0;
    std::vector<std::string> paths;
    TextureImageFinder finder(settings.texturesDir.c_str(), settings.meshPath.c_str());
    for (int number : used) {
        TextureImage& image = images[number];
        const char* name = meshScene.textureNames[number - 1];
        locateImage(image, name, finder, settings, notes);
        paths.push_back(image.found ? image.imagePath : std::string());
        if (embed && image.found) embedImage(image, name, embedded, notes);
    }
    std::vector<bool> topRowFirst = imagesDeliveredTopRowFirst(paths);
    std::size_t k = 0;
    for (int number : used) {
        images[number].topRowFirst = images[number].madePng || topRowFirst[k];
        ++k;
    }
    return images;
}

// ---- materials

class MaterialVariants {
  public:
    // The scene material for material number `material` drawn with texture `texture`.
    unsigned indexFor(int material, int texture) {
        auto [place, added] =
            indices.emplace(std::make_pair(material, texture), static_cast<unsigned>(pairs.size()));
        if (added) pairs.emplace_back(material, texture);
        return place->second;
    }
    const std::vector<std::pair<int, int>>& all() const { return pairs; }

  private:
    std::map<std::pair<int, int>, unsigned> indices;
    std::vector<std::pair<int, int>> pairs;
};

void addColour(aiMaterial& target, const float* value, const char* key, unsigned type,
               unsigned index) {
    aiColor4D colour(value[0], value[1], value[2], value[3]);
    target.AddProperty(&colour, 1, key, type, index);
}

bool isGltf(const OutputFormat& format) {
    return std::strcmp(format.name, "gltf") == 0 || std::strcmp(format.name, "glb") == 0;
}

// glTF has no specular power. assimp 5.2 wrote it into the glossiness of an extension since
// retired (power / 1000, read back as it was); 5.4 writes the current specular extension,
// which holds the specular colour only, and reads the power back from the roughness, as
// (1 - roughness)^2 * 1000. Both are given here, so that the power comes back from either:
// left to the exporter, the roughness would come from the power and the specular colour
// together, which no reader can part again.
float gltfRoughness(float power) {
    return 1.0f - std::sqrt(std::clamp(power, 0.0f, 1000.0f) / 1000.0f);
}
float gltfGlossiness(float power) {
    return std::clamp(power, 0.0f, 1000.0f) / 1000.0f;
}

void addGltfDiffuseAndPower(aiMaterial& material, const MeshMaterial& source) {
    // The alpha in the colour itself, which becomes the base colour: assimp 5.2 multiplies
    // an opacity into it, but 5.4 takes the diffuse colour again when it writes the
    // specular colour, so an opacity would be lost there (or counted twice in 5.2).
    addColour(material, source.diffuse, AI_MATKEY_COLOR_DIFFUSE);
    if (source.diffuse[3] < 1.0f) {
        aiString blend("BLEND");
        material.AddProperty(&blend, AI_MATKEY_GLTF_ALPHAMODE);
    }
    const float roughness = gltfRoughness(source.power);
    material.AddProperty(&roughness, 1, AI_MATKEY_ROUGHNESS_FACTOR);
    const float glossiness = gltfGlossiness(source.power);
    material.AddProperty(&glossiness, 1, AI_MATKEY_GLOSSINESS_FACTOR);
}

void addDiffuseAndOpacity(aiMaterial& material, const MeshMaterial& source) {
    // The alpha goes as the opacity only: the other formats keep it there.
    const float opaqueDiffuse[4] = {source.diffuse[0], source.diffuse[1], source.diffuse[2], 1.0f};
    addColour(material, opaqueDiffuse, AI_MATKEY_COLOR_DIFFUSE);
    material.AddProperty(&source.diffuse[3], 1, AI_MATKEY_OPACITY);
}

aiMaterial* sceneMaterial(const MeshMaterial& source, const std::string& name,
                          const TextureImage* image, bool gltf) {
    auto* material = new aiMaterial;
    aiString text(name);
    material->AddProperty(&text, AI_MATKEY_NAME);
    if (gltf)
        addGltfDiffuseAndPower(*material, source);
    else
        addDiffuseAndOpacity(*material, source);
    addColour(*material, source.ambient, AI_MATKEY_COLOR_AMBIENT);
    addColour(*material, source.specular, AI_MATKEY_COLOR_SPECULAR);
    material->AddProperty(&source.power, 1, AI_MATKEY_SHININESS);
    addColour(*material, source.emissive, AI_MATKEY_COLOR_EMISSIVE);
    int shading = aiShadingMode_Phong;
    material->AddProperty(&shading, 1, AI_MATKEY_SHADING_MODEL);
    if (image) {
        aiString reference(image->reference);
        material->AddProperty(&reference, AI_MATKEY_TEXTURE_DIFFUSE(0));
        int channel = 0;
        material->AddProperty(&channel, 1, AI_MATKEY_UVWSRC_DIFFUSE(0));
    }
    return material;
}

// The room a name keeps for the suffix that sets a variant or a repeated name apart (".t"
// or "." and a number), so that it still fits a .msh line when brought back in.
constexpr std::size_t variantSuffixRoom = 7;

// Names as the formats want them: one for each material, different from all others.
std::vector<std::string> variantNames(const std::vector<std::pair<int, int>>& pairs) {
    std::vector<std::string> names;
    std::set<std::string> taken;
    std::set<int> named;
    for (auto [material, texture] : pairs) {
        std::string base = material == 0 ? std::string(AI_DEFAULT_MATERIAL_NAME)
                                         : std::string(meshScene.materials[material - 1].name);
        base = mshWord(base, longestMaterialName - variantSuffixRoom,
                       "material" + std::to_string(material));
        std::string name =
            named.insert(material).second ? base : materialVariantName(base, texture);
        for (int n = 2; !taken.insert(name).second; ++n)
            name = base + "." + std::to_string(n);
        names.push_back(name);
    }
    return names;
}

// ---- geometry

// The formats that want z up (STL, by the custom of the tools that read it) get the y-up
// frame turned: x, y, z becomes x, -z, y.
bool wantsZUp(const OutputFormat& format) {
    return std::strncmp(format.name, "stl", 3) == 0;
}

aiVector3D toZUp(const aiVector3D& v) {
    return aiVector3D(v.x, -v.z, v.y);
}

// The group's triangles that the viewer draws.
std::vector<MeshTriangle> drawnTriangles(const MeshGroup& group) {
    std::vector<MeshTriangle> drawn;
    drawn.reserve(static_cast<std::size_t>(group.triangleCount));
    for (int t = 0; t < group.triangleCount; ++t)
        if (cornersInside(group.triangles[t], group.vertexCount))
            drawn.push_back(group.triangles[t]);
    return drawn;
}

void setVertices(aiMesh& mesh, const MeshGroup& group, bool topRowFirst, bool zUp) {
    const unsigned vertexCount = static_cast<unsigned>(group.vertexCount);
    mesh.mNumVertices = vertexCount;
    mesh.mVertices = new aiVector3D[vertexCount];
    mesh.mNormals = new aiVector3D[vertexCount];
    mesh.mTextureCoords[0] = new aiVector3D[vertexCount];
    mesh.mNumUVComponents[0] = 2;
    for (unsigned i = 0; i < vertexCount; ++i) {
        assimpVertex(group.vertices[i], topRowFirst, mesh.mVertices[i], mesh.mNormals[i],
                     mesh.mTextureCoords[0][i]);
        if (zUp) {
            mesh.mVertices[i] = toZUp(mesh.mVertices[i]);
            mesh.mNormals[i] = toZUp(mesh.mNormals[i]);
        }
    }
}

void setFaces(aiMesh& mesh, const std::vector<MeshTriangle>& drawn) {
    mesh.mNumFaces = static_cast<unsigned>(drawn.size());
    mesh.mFaces = new aiFace[drawn.size()];
    for (std::size_t f = 0; f < drawn.size(); ++f) {
        unsigned corners[3];
        for (int k = 0; k < 3; ++k)
            corners[k] = static_cast<unsigned>(drawn[f].indices[k]);
        reverseCorners(corners);
        aiFace& face = mesh.mFaces[f];
        face.mNumIndices = 3;
        face.mIndices = new unsigned[3]{corners[0], corners[1], corners[2]};
    }
}

aiMesh* sceneMesh(const MeshGroup& group, int groupNumber, unsigned materialIndex, bool topRowFirst,
                  bool zUp) {
    const std::vector<MeshTriangle> drawn = drawnTriangles(group);
    if (drawn.empty()) return nullptr;
    auto* mesh = new aiMesh;
    mesh->mName = aiString("group" + std::to_string(groupNumber));
    mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    mesh->mMaterialIndex = materialIndex;
    setVertices(*mesh, group, topRowFirst, zUp);
    setFaces(*mesh, drawn);
    return mesh;
}

template <typename T> T** arrayOf(const std::vector<T*>& items) {
    T** array = new T*[items.size()];
    std::copy(items.begin(), items.end(), array);
    return array;
}

bool hasNormalsOfOtherLength() {
    for (int g = 0; g < meshScene.groupCount; ++g)
        for (int i = 0; i < meshScene.groups[g].vertexCount; ++i) {
            const MeshVertex& v = meshScene.groups[g].vertices[i];
            const double square = double{v.nx} * v.nx + double{v.ny} * v.ny + double{v.nz} * v.nz;
            if (std::fabs(square - 1.0) > 1e-6) return true;
        }
    return false;
}

void noteFormatLimits(const OutputFormat& format, const std::vector<std::pair<int, int>>& pairs,
                      Notes& notes) {
    const std::string name = format.name;
    if (isGltf(format) && hasNormalsOfOtherLength())
        notes.say("normals made unit length (glTF holds no others)");
    if (name.rfind("stl", 0) == 0)
        notes.say("left out: materials, textures and texture coordinates (STL holds none)");
    if (name.rfind("ply", 0) == 0) notes.say("left out: materials (PLY holds none)");
    if ((name.rfind("stl", 0) == 0 || name.rfind("ply", 0) == 0) && meshScene.groupCount > 1)
        notes.say("the groups become one mesh (" +
                  std::string(name.rfind("stl", 0) == 0 ? "STL" : "PLY") + " holds one)");
    for (auto [material, texture] : pairs) {
        const MeshMaterial& m = material > 0 ? meshScene.materials[material - 1] : defaultMaterial;
        bool ambientOwn = std::memcmp(m.ambient, m.diffuse, 3 * sizeof(float)) != 0;
        if (isGltf(format) && ambientOwn)
            notes.say("left out: ambient colours unlike the diffuse colour (glTF has none)");
        bool tinted = m.diffuse[0] != 1 || m.diffuse[1] != 1 || m.diffuse[2] != 1;
        if ((name == "dae" || name == "collada") && texture > 0 && tinted)
            notes.say("left out: the diffuse colour of textured materials (COLLADA holds a "
                      "colour or a texture)");
    }
}

bool drawsSomething(const MeshGroup& group) {
    for (int t = 0; t < group.triangleCount; ++t)
        if (cornersInside(group.triangles[t], group.vertexCount)) return true;
    return false;
}

// The scene material each group is drawn with, -1 for a group that draws nothing; the
// textures those groups use are added to `texturesUsed`.
std::vector<int> groupVariants(MaterialVariants& variants, std::set<int>& texturesUsed) {
    const std::vector<int> materials = drawnMaterials();
    std::vector<int> variantOf(materials.size(), -1);
    for (int i = 0; i < meshScene.groupCount; ++i) {
        const MeshGroup& group = meshScene.groups[i];
        if (!drawsSomething(group)) continue;
        const int texture = drawnTexture(group);
        variantOf[i] = static_cast<int>(variants.indexFor(materials[i], texture));
        if (texture > 0) texturesUsed.insert(texture);
    }
    return variantOf;
}

std::vector<aiMaterial*> sceneMaterials(const std::vector<std::pair<int, int>>& pairs,
                                        const std::vector<TextureImage>& images, bool gltf) {
    const std::vector<std::string> names = variantNames(pairs);
    std::vector<aiMaterial*> materials;
    for (std::size_t v = 0; v < pairs.size(); ++v) {
        auto [material, texture] = pairs[v];
        materials.push_back(
            sceneMaterial(material > 0 ? meshScene.materials[material - 1] : defaultMaterial,
                          names[v], texture > 0 ? &images[texture] : nullptr, gltf));
    }
    return materials;
}

// One mesh under a node of its own for each group that draws something.
void addGroupMeshes(aiScene& scene, const std::vector<int>& variantOf,
                    const std::vector<TextureImage>& images, const OutputFormat& format,
                    Notes& notes) {
    std::vector<aiMesh*> meshes;
    std::vector<aiNode*> nodes;
    bool skippedTriangles = false;
    for (int i = 0; i < meshScene.groupCount; ++i) {
        const MeshGroup& group = meshScene.groups[i];
        if (variantOf[i] < 0) {
            if (group.triangleCount > 0) skippedTriangles = true;
            continue;
        }
        const int texture = drawnTexture(group);
        aiMesh* mesh = sceneMesh(group, i + 1, static_cast<unsigned>(variantOf[i]),
                                 texture > 0 && images[texture].topRowFirst, wantsZUp(format));
        if (mesh->mNumFaces != static_cast<unsigned>(group.triangleCount)) skippedTriangles = true;
        auto* node = new aiNode(mesh->mName.C_Str());
        node->mParent = scene.mRootNode;
        node->mNumMeshes = 1;
        node->mMeshes = new unsigned[1]{static_cast<unsigned>(meshes.size())};
        meshes.push_back(mesh);
        nodes.push_back(node);
    }
    if (skippedTriangles)
        notes.say("left out: triangles whose corners lie outside their group (the viewer "
                  "skips them too)");
    scene.mNumMeshes = static_cast<unsigned>(meshes.size());
    scene.mMeshes = arrayOf(meshes);
    scene.mRootNode->mNumChildren = static_cast<unsigned>(nodes.size());
    scene.mRootNode->mChildren = arrayOf(nodes);
}

} // namespace

std::unique_ptr<aiScene> mshToScene(const MshExport& settings, Notes& notes, std::string& error) {
    MaterialVariants variants;
    std::set<int> texturesUsed;
    const std::vector<int> variantOf = groupVariants(variants, texturesUsed);
    if (variants.all().empty()) {
        error = "no triangles to write";
        return nullptr;
    }
    noteFormatLimits(*settings.format, variants.all(), notes);

    std::vector<aiTexture*> embedded;
    const std::vector<TextureImage> images = findImages(settings, texturesUsed, embedded, notes);
    const std::vector<aiMaterial*> materials =
        sceneMaterials(variants.all(), images, isGltf(*settings.format));

    auto scene = std::make_unique<aiScene>();
    scene->mRootNode = new aiNode("korvalin-mesh");
    addGroupMeshes(*scene, variantOf, images, *settings.format, notes);
    scene->mNumMaterials = static_cast<unsigned>(materials.size());
    scene->mMaterials = arrayOf(materials);
    if (!embedded.empty()) {
        scene->mNumTextures = static_cast<unsigned>(embedded.size());
        scene->mTextures = arrayOf(embedded);
    }
    return scene;
}
