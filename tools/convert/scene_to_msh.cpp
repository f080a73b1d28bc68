#include "tools/convert/scene_to_msh.h"

#include "tools/convert/frame.h"
#include "tools/convert/names.h"
#include "tools/convert/visible_materials.h"

#include <assimp/material.h>
#include <cmath>
#include <cstring>
#include <map>
#include <vector>

namespace {

// Affine transform in double precision: rows of a 3x4 matrix, as aiMatrix4x4 a1..c4.
struct Affine {
    double m[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};

    static Affine of(const aiMatrix4x4& t) {
        Affine a;
        const float* rows[3] = {&t.a1, &t.b1, &t.c1};
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 4; ++c)
                a.m[r][c] = rows[r][c];
        return a;
    }
    Affine operator*(const Affine& b) const {
        Affine p;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 4; ++c) {
                double sum = c == 3 ? m[r][3] : 0.0;
                for (int k = 0; k < 3; ++k)
                    sum += m[r][k] * b.m[k][c];
                p.m[r][c] = sum;
            }
        return p;
    }
    bool isIdentity() const {
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 4; ++c)
                if (m[r][c] != (r == c ? 1.0 : 0.0)) return false;
        return true;
    }
    double determinant() const {
        return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
               m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
               m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    }
};

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
    int32_t up = 1, upSign = 1, front = 2, frontSign = 1, coord = 0, coordSign = 1;
    if (!scene.mMetaData->Get("UpAxis", up)) return frame;
    scene.mMetaData->Get("UpAxisSign", upSign);
    scene.mMetaData->Get("FrontAxis", front);
    scene.mMetaData->Get("FrontAxisSign", frontSign);
    scene.mMetaData->Get("CoordAxis", coord);
    scene.mMetaData->Get("CoordAxisSign", coordSign);
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

struct Placement {
    const aiMesh* mesh;
    Affine transform;
    const aiNode* node;
};

std::vector<Placement> placedMeshes(const aiScene& scene) {
    std::vector<Placement> placements;
    if (!scene.mRootNode) return placements;
    // Depth first, children in order, without recursion (node chains can be long).
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

// ---- materials

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

// A name is one word of a line of at most 255 characters in a .msh file.
void noteChangedName(const std::string& given, const std::string& written, const char* kind,
                     Notes& notes) {
    if (given.size() > written.size())
        notes.say(std::string(kind) + " names cut to " + std::to_string(written.size()) +
                  " characters (a .msh line holds 255)");
    else if (given != written)
        notes.say(std::string("blanks in ") + kind +
                  " names written as '_' (a .msh name is one word)");
}

// The msh material number of each assimp material that a group uses.
class MaterialTable {
  public:
    void use(unsigned index) {
        if (index >= used.size()) used.resize(index + 1, false);
        used[index] = true;
    }
    // Numbers in assimp's order, equal materials once.
    void number(const aiScene& scene, MshModel& model, Notes& notes) {
        numbers.assign(used.size(), 0);
        std::map<std::string, int> byKey;
        for (unsigned i = 0; i < used.size() && i < scene.mNumMaterials; ++i) {
            if (!used[i]) continue;
            const aiMaterial& source = *scene.mMaterials[i];
            aiString sourceName;
            source.Get(AI_MATKEY_NAME, sourceName);
            // assimp's stand-in for "no material", also when taken out with a texture.
            if (materialBaseName(sourceName.C_Str()) == AI_DEFAULT_MATERIAL_NAME) continue;
            MeshMaterial material = mshMaterial(source);
            // A name shorter than the field leaves room for "MATERIAL " before it on a line.
            std::string name =
                mshWord(sourceName.C_Str(), longestMshWord - 9, "material" + std::to_string(i + 1));
            noteChangedName(sourceName.C_Str(), name, "material", notes);
            auto [place, added] = byKey.emplace(materialKey(name, material),
                                                static_cast<int>(model.materials.size()) + 1);
            if (added) {
                std::memcpy(material.name, name.c_str(), name.size() + 1);
                model.materials.push_back(material);
            }
            numbers[i] = place->second;
        }
    }
    int numberOf(unsigned index) const { return index < numbers.size() ? numbers[index] : 0; }

  private:
    std::vector<bool> used;
    std::vector<int> numbers;
};

// ---- what a .msh file cannot hold

void noteWhatIsLeftOut(const aiScene& scene, const std::vector<Placement>& placements,
                       const std::vector<unsigned>& uvChannels, Notes& notes) {
    const char* triangleOnly = "(a .msh file holds triangles only)";
    if (scene.mNumAnimations > 0) notes.say("left out: animation (a .msh file holds one pose)");
    if (scene.mNumCameras > 0) notes.say("left out: cameras");
    if (scene.mNumLights > 0) notes.say("left out: lights");
    for (const Placement& placement : placements) {
        const aiMesh& mesh = *placement.mesh;
        if (mesh.mPrimitiveTypes & aiPrimitiveType_POINT)
            notes.say(std::string("left out: points ") + triangleOnly);
        if (mesh.mPrimitiveTypes & aiPrimitiveType_LINE)
            notes.say(std::string("left out: lines ") + triangleOnly);
        if (!holdsTriangles(mesh)) continue;
        if (mesh.HasBones() || mesh.mNumAnimMeshes > 0)
            notes.say("left out: animation (a .msh file holds one pose)");
        if (mesh.HasVertexColors(0)) notes.say("left out: vertex colours");
        const unsigned channel =
            mesh.mMaterialIndex < uvChannels.size() ? uvChannels[mesh.mMaterialIndex] : 0;
        for (unsigned c = 0; c < AI_MAX_NUMBER_OF_TEXTURECOORDS; ++c)
            if (c != channel && mesh.HasTextureCoords(c))
                notes.say("left out: texture coordinate sets other than the diffuse texture's");
        if (mesh.mMaterialIndex >= scene.mNumMaterials) continue;
        const aiMaterial& material = *scene.mMaterials[mesh.mMaterialIndex];
        for (int type = aiTextureType_NONE + 1; type <= AI_TEXTURE_TYPE_MAX; ++type) {
            const auto textureType = static_cast<aiTextureType>(type);
            // glTF names its base colour map a second time as the diffuse map.
            if (textureType == aiTextureType_BASE_COLOR) continue;
            unsigned count = material.GetTextureCount(textureType);
            if (count > (textureType == aiTextureType_DIFFUSE ? 1u : 0u))
                notes.say("left out: texture maps other than the (first) diffuse colour map");
        }
    }
}

// ---- geometry

// Equal vertices (all eight numbers, bit for bit) are kept once, in their first place.
class VertexJoiner {
  public:
    explicit VertexJoiner(std::size_t count) {
        std::size_t size = 16;
        while (size < count * 2)
            size *= 2;
        slots.assign(size, empty);
    }
    // The index the vertex gets in `kept`.
    unsigned keep(const MeshVertex& vertex, std::vector<MeshVertex>& kept) {
        std::size_t slot = hash(vertex) & (slots.size() - 1);
        while (slots[slot] != empty) {
            if (std::memcmp(&kept[slots[slot]], &vertex, sizeof vertex) == 0) return slots[slot];
            slot = (slot + 1) & (slots.size() - 1);
        }
        slots[slot] = static_cast<unsigned>(kept.size());
        kept.push_back(vertex);
        return slots[slot];
    }

  private:
    static std::size_t hash(const MeshVertex& vertex) {
        std::uint32_t words[8];
        std::memcpy(words, &vertex, sizeof words);
        std::uint64_t h = 0x9e3779b97f4a7c15ull;
        for (std::uint32_t w : words)
            h = (h ^ w) * 0xff51afd7ed558ccdull;
        return static_cast<std::size_t>(h ^ (h >> 29));
    }
    static constexpr unsigned empty = ~0u;
    std::vector<unsigned> slots;
};

aiVector3D place(const Affine& t, const aiVector3D& p) {
    return aiVector3D(
        static_cast<float>(t.m[0][0] * p.x + t.m[0][1] * p.y + t.m[0][2] * p.z + t.m[0][3]),
        static_cast<float>(t.m[1][0] * p.x + t.m[1][1] * p.y + t.m[1][2] * p.z + t.m[1][3]),
        static_cast<float>(t.m[2][0] * p.x + t.m[2][1] * p.y + t.m[2][2] * p.z + t.m[2][3]));
}

// Normals go through the inverse transpose of the linear part, and keep their length.
Affine normalTransform(const Affine& t) {
    Affine n;
    const double det = t.determinant();
    if (det == 0) return n;
    const auto& m = t.m;
    n.m[0][0] = (m[1][1] * m[2][2] - m[1][2] * m[2][1]) / det;
    n.m[0][1] = (m[1][2] * m[2][0] - m[1][0] * m[2][2]) / det;
    n.m[0][2] = (m[1][0] * m[2][1] - m[1][1] * m[2][0]) / det;
    n.m[1][0] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) / det;
    n.m[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) / det;
    n.m[1][2] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) / det;
    n.m[2][0] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) / det;
    n.m[2][1] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) / det;
    n.m[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) / det;
    return n;
}

aiVector3D turnNormal(const Affine& n, const aiVector3D& v) {
    aiVector3D turned = place(n, v);
    const double before = std::sqrt(double{v.x} * v.x + double{v.y} * v.y + double{v.z} * v.z);
    const double after = std::sqrt(double{turned.x} * turned.x + double{turned.y} * turned.y +
                                   double{turned.z} * turned.z);
    if (after > 0) turned *= static_cast<float>(before / after);
    return turned;
}

MshGroup makeGroup(const Placement& placement, unsigned uvChannel, bool topRowFirst) {
    const aiMesh& mesh = *placement.mesh;
    const bool moved = !placement.transform.isIdentity();
    const Affine normals = normalTransform(placement.transform);
    const aiVector3D* uvs =
        mesh.HasTextureCoords(uvChannel) ? mesh.mTextureCoords[uvChannel] : nullptr;
    MshGroup group;
    std::vector<unsigned> keptAs(mesh.mNumVertices);
    VertexJoiner joiner(mesh.mNumVertices);
    group.vertices.reserve(mesh.mNumVertices);
    for (unsigned i = 0; i < mesh.mNumVertices; ++i) {
        aiVector3D position = mesh.mVertices[i];
        aiVector3D normal = mesh.HasNormals() ? mesh.mNormals[i] : aiVector3D();
        if (moved) {
            position = place(placement.transform, position);
            normal = turnNormal(normals, normal);
        }
        const aiVector3D uv = uvs ? uvs[i] : aiVector3D();
        keptAs[i] = joiner.keep(mshVertex(position, normal, uv, topRowFirst), group.vertices);
    }
    group.vertices.shrink_to_fit();
    // The mirror between the frames turns every triangle, unless the node mirrors it back.
    const bool reverse = placement.transform.determinant() >= 0;
    group.triangles.reserve(mesh.mNumFaces);
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        if (face.mNumIndices != 3) continue;
        unsigned corners[3] = {face.mIndices[0], face.mIndices[1], face.mIndices[2]};
        if (corners[0] >= mesh.mNumVertices || corners[1] >= mesh.mNumVertices ||
            corners[2] >= mesh.mNumVertices)
            continue;
        if (reverse) reverseCorners(corners);
        MeshTriangle triangle;
        for (int k = 0; k < 3; ++k)
            triangle.indices[k] = static_cast<int>(keptAs[corners[k]]);
        group.triangles.push_back(triangle);
    }
    return group;
}

unsigned diffuseChannel(const aiMaterial& material) {
    int channel = 0;
    if (material.Get(AI_MATKEY_UVWSRC_DIFFUSE(0), channel) != AI_SUCCESS || channel < 0 ||
        channel >= AI_MAX_NUMBER_OF_TEXTURECOORDS)
        return 0;
    return static_cast<unsigned>(channel);
}

} // namespace

bool sceneToMsh(const aiScene& scene, ImportTextures& textures, Notes& notes, MshModel& model,
                std::string& error) {
    std::vector<Placement> placements = placedMeshes(scene);
    std::vector<unsigned> uvChannels(scene.mNumMaterials, 0);
    std::vector<int> textureNumbers(scene.mNumMaterials, 0);
    for (unsigned i = 0; i < scene.mNumMaterials; ++i)
        uvChannels[i] = diffuseChannel(*scene.mMaterials[i]);
    noteWhatIsLeftOut(scene, placements, uvChannels, notes);

    MaterialTable materials;
    std::vector<bool> textureLooked(scene.mNumMaterials, false);
    for (const Placement& placement : placements) {
        const unsigned index = placement.mesh->mMaterialIndex;
        if (!holdsTriangles(*placement.mesh) || index >= scene.mNumMaterials) continue;
        materials.use(index);
        if (textureLooked[index]) continue;
        textureLooked[index] = true;
        aiString reference;
        if (scene.mMaterials[index]->GetTexture(aiTextureType_DIFFUSE, 0, &reference) ==
                AI_SUCCESS &&
            !textures.numberFor(reference, textureNumbers[index])) {
            error = textures.error();
            return false;
        }
    }
    materials.number(scene, model, notes);
    makeMaterialsVisible(model, notes);
    model.textures = textures.names();
    const std::vector<bool> topRowFirst = textures.rowOrders();

    for (const Placement& placement : placements) {
        const aiMesh& mesh = *placement.mesh;
        if (!holdsTriangles(mesh)) continue;
        const unsigned index = mesh.mMaterialIndex;
        const int texture = index < textureNumbers.size() ? textureNumbers[index] : 0;
        MshGroup group = makeGroup(placement, index < uvChannels.size() ? uvChannels[index] : 0,
                                   texture > 0 && topRowFirst[texture - 1]);
        group.material = materials.numberOf(index);
        group.texture = texture;
        std::string label =
            mesh.mName.length > 0 ? mesh.mName.C_Str() : placement.node->mName.C_Str();
        group.label =
            mshWord(label, longestMshWord - 6, "group" + std::to_string(model.groups.size() + 1));
        if (!label.empty()) noteChangedName(label, group.label, "group", notes);
        model.groups.push_back(std::move(group));
    }
    if (model.groups.empty()) {
        error = "no triangles to write (a .msh file holds triangles only)";
        return false;
    }
    return true;
}
