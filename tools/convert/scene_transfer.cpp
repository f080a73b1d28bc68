#include "tools/convert/scene_transfer.h"

#include <assimp/material.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr std::uint32_t sceneMark = 0x4b534331; // "KSC1"
// Deeper metadata is left out: no reader of ours looks below the first level.
constexpr int deepestMetadata = 8;

// Which arrays of a mesh follow its counts.
constexpr std::uint32_t hasPositions = 1u << 0, hasNormals = 1u << 1;
constexpr std::uint32_t hasCoordinates(unsigned set) {
    return 1u << (2 + set);
}
constexpr std::uint32_t hasColours(unsigned set) {
    return 1u << (2 + AI_MAX_NUMBER_OF_TEXTURECOORDS + set);
}

std::size_t texelBytes(const aiTexture& texture) {
    return texture.mHeight == 0 ? texture.mWidth
                                : std::size_t{texture.mWidth} * texture.mHeight * sizeof(aiTexel);
}

class Writer {
  public:
    explicit Writer(const ByteSink& byteSink) : sink(byteSink) {}

    bool scene(const aiScene& scene) {
        put(sceneMark);
        put(scene.mFlags);
        string(scene.mName);
        metadata(scene.mMetaData, 0);
        nodes(scene.mRootNode);
        put(scene.mNumMeshes);
        for (unsigned i = 0; i < scene.mNumMeshes; ++i)
            mesh(*scene.mMeshes[i]);
        put(scene.mNumMaterials);
        for (unsigned i = 0; i < scene.mNumMaterials; ++i)
            material(*scene.mMaterials[i]);
        put(scene.mNumTextures);
        for (unsigned i = 0; i < scene.mNumTextures; ++i)
            texture(*scene.mTextures[i]);
        names(scene.mAnimations, scene.mNumAnimations);
        names(scene.mCameras, scene.mNumCameras);
        names(scene.mLights, scene.mNumLights);
        return ok;
    }

  private:
    template <class T> void put(const T& value) { bytes(&value, sizeof value); }
    void bytes(const void* data, std::size_t size) {
        if (size > 0) ok = ok && sink(data, size);
    }
    void string(const aiString& text) {
        put(text.length);
        bytes(text.data, text.length);
    }

    void metadata(const aiMetadata* data, int depth) {
        const std::uint32_t count = data && depth < deepestMetadata ? data->mNumProperties : 0;
        put(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            const aiMetadataEntry& entry = data->mValues[i];
            string(data->mKeys[i]);
            const std::uint32_t type = entry.mData ? entry.mType : AI_META_MAX;
            put(type);
            switch (type) {
            case AI_BOOL:
                put(*static_cast<const bool*>(entry.mData));
                break;
            case AI_INT32:
                put(*static_cast<const std::int32_t*>(entry.mData));
                break;
            case AI_UINT64:
                put(*static_cast<const std::uint64_t*>(entry.mData));
                break;
            case AI_FLOAT:
                put(*static_cast<const float*>(entry.mData));
                break;
            case AI_DOUBLE:
                put(*static_cast<const double*>(entry.mData));
                break;
            case AI_AISTRING:
                string(*static_cast<const aiString*>(entry.mData));
                break;
            case AI_AIVECTOR3D:
                put(*static_cast<const aiVector3D*>(entry.mData));
                break;
            case AI_AIMETADATA:
                metadata(static_cast<const aiMetadata*>(entry.mData), depth + 1);
                break;
            default:
                break;
            }
        }
    }

    // Depth first, children in order, without recursion (node chains can be long).
    void nodes(const aiNode* root) {
        put(std::uint32_t{root ? 1u : 0u});
        std::vector<const aiNode*> pending;
        if (root) pending.push_back(root);
        while (ok && !pending.empty()) {
            const aiNode* node = pending.back();
            pending.pop_back();
            string(node->mName);
            put(node->mTransformation);
            put(node->mNumMeshes);
            bytes(node->mMeshes, node->mNumMeshes * sizeof *node->mMeshes);
            metadata(node->mMetaData, 0);
            put(node->mNumChildren);
            for (unsigned i = node->mNumChildren; i-- > 0;)
                pending.push_back(node->mChildren[i]);
        }
    }

    void mesh(const aiMesh& mesh) {
        string(mesh.mName);
        put(mesh.mPrimitiveTypes);
        put(mesh.mMaterialIndex);
        put(mesh.mMethod);
        put(mesh.mAABB);
        put(mesh.mNumVertices);
        std::uint32_t present =
            (mesh.mVertices ? hasPositions : 0) | (mesh.mNormals ? hasNormals : 0);
        for (unsigned set = 0; set < AI_MAX_NUMBER_OF_TEXTURECOORDS; ++set)
            if (mesh.mTextureCoords[set]) present |= hasCoordinates(set);
        for (unsigned set = 0; set < AI_MAX_NUMBER_OF_COLOR_SETS; ++set)
            if (mesh.mColors[set]) present |= hasColours(set);
        put(present);
        const std::size_t vectors = mesh.mNumVertices * sizeof(aiVector3D);
        if (mesh.mVertices) bytes(mesh.mVertices, vectors);
        if (mesh.mNormals) bytes(mesh.mNormals, vectors);
        for (unsigned set = 0; set < AI_MAX_NUMBER_OF_TEXTURECOORDS; ++set)
            if (mesh.mTextureCoords[set]) {
                put(mesh.mNumUVComponents[set]);
                bytes(mesh.mTextureCoords[set], vectors);
            }
        for (unsigned set = 0; set < AI_MAX_NUMBER_OF_COLOR_SETS; ++set)
            if (mesh.mColors[set]) bytes(mesh.mColors[set], mesh.mNumVertices * sizeof(aiColor4D));
        faces(mesh);
        names(mesh.mBones, mesh.mNumBones);
        names(mesh.mAnimMeshes, mesh.mNumAnimMeshes);
    }

    // The corner counts first, then every corner: two large writes instead of two per face.
    void faces(const aiMesh& mesh) {
        put(mesh.mNumFaces);
        std::vector<std::uint32_t> counts(mesh.mNumFaces);
        std::size_t corners = 0;
        for (unsigned i = 0; i < mesh.mNumFaces; ++i)
            corners += counts[i] = mesh.mFaces[i].mNumIndices;
        bytes(counts.data(), counts.size() * sizeof counts[0]);
        counts = {};
        put(std::uint64_t{corners});
        for (unsigned i = 0; i < mesh.mNumFaces; ++i)
            bytes(mesh.mFaces[i].mIndices, mesh.mFaces[i].mNumIndices * sizeof(unsigned));
    }

    void material(const aiMaterial& material) {
        put(material.mNumProperties);
        for (unsigned i = 0; i < material.mNumProperties; ++i) {
            const aiMaterialProperty& property = *material.mProperties[i];
            string(property.mKey);
            put(property.mSemantic);
            put(property.mIndex);
            put(static_cast<std::uint32_t>(property.mType));
            put(property.mDataLength);
            bytes(property.mData, property.mDataLength);
        }
    }

    void texture(const aiTexture& texture) {
        put(texture.mWidth);
        put(texture.mHeight);
        bytes(texture.achFormatHint, sizeof texture.achFormatHint);
        string(texture.mFilename);
        bytes(texture.pcData, texelBytes(texture));
    }

    template <class T> void names(T* const* items, unsigned count) {
        put(count);
        for (unsigned i = 0; i < count; ++i)
            string(items[i] ? items[i]->mName : aiString());
    }

    const ByteSink& sink;
    bool ok = true;
};

class Reader {
  public:
    Reader(const ByteSource& byteSource, std::size_t arrayLimit)
        : source(byteSource), maxArrayBytes(arrayLimit) {}

    std::unique_ptr<aiScene> scene() {
        auto scene = std::make_unique<aiScene>();
        std::uint32_t mark = 0;
        if (!get(mark) || mark != sceneMark || !get(scene->mFlags) || !string(scene->mName) ||
            !metadata(scene->mMetaData, 0) || !nodes(*scene) ||
            !array(scene->mMeshes, scene->mNumMeshes, &Reader::mesh) ||
            !array(scene->mMaterials, scene->mNumMaterials, &Reader::material) ||
            !array(scene->mTextures, scene->mNumTextures, &Reader::texture) ||
            !array(scene->mAnimations, scene->mNumAnimations, &Reader::named<aiAnimation>) ||
            !array(scene->mCameras, scene->mNumCameras, &Reader::named<aiCamera>) ||
            !array(scene->mLights, scene->mNumLights, &Reader::named<aiLight>))
            return nullptr;
        return scene;
    }

  private:
    template <class T> bool get(T& value) { return source(&value, sizeof value); }
    bool fits(std::uint64_t count, std::size_t each) const { return count <= maxArrayBytes / each; }
    // A new array of count items, filled from the stream.
    template <class T> bool items(T*& array, std::uint64_t count) {
        if (!fits(count, sizeof(T))) return false;
        if (count == 0) return true;
        array = new T[count];
        return source(array, count * sizeof(T));
    }
    bool string(aiString& text) {
        std::uint32_t length = 0;
        if (!get(length) || length >= sizeof text.data) return false;
        text.length = length;
        text.data[length] = '\0';
        return length == 0 || source(text.data, length);
    }

    // Owners get their arrays (null pointers first) before the items are read, so a scene cut
    // short is still freed whole.
    template <class T> bool array(T**& array, unsigned& count, bool (Reader::*read)(T*&)) {
        std::uint32_t declared = 0;
        if (!get(declared) || !fits(declared, sizeof(T*))) return false;
        if (declared == 0) return true;
        array = new T*[declared]();
        count = declared;
        for (unsigned i = 0; i < count; ++i)
            if (!(this->*read)(array[i])) return false;
        return true;
    }

    bool metadata(aiMetadata*& data, int depth) {
        std::uint32_t count = 0;
        if (!get(count) || !fits(count, sizeof(aiMetadataEntry) + sizeof(aiString))) return false;
        if (count == 0) return true;
        if (depth >= deepestMetadata) return false;
        data = aiMetadata::Alloc(count);
        for (std::uint32_t i = 0; i < count; ++i)
            if (!entry(*data, i, depth)) return false;
        return true;
    }
    bool entry(aiMetadata& data, unsigned index, int depth);
    template <class T> bool value(aiMetadata& data, unsigned index, const std::string& key) {
        T value{};
        // The library takes no empty key; nothing could look such an entry up anyway.
        return get(value) && (data.Set(index, key, value) || key.empty());
    }

    bool nodes(aiScene& scene) {
        std::uint32_t hasRoot = 0;
        if (!get(hasRoot) || hasRoot > 1) return false;
        if (hasRoot == 0) return true;
        if (!node(scene.mRootNode)) return false;
        // The nodes whose children are still to come, and how many have come.
        std::vector<std::pair<aiNode*, unsigned>> open;
        if (scene.mRootNode->mNumChildren > 0) open.emplace_back(scene.mRootNode, 0u);
        while (!open.empty()) {
            auto& [parent, filled] = open.back();
            if (filled == parent->mNumChildren) {
                open.pop_back();
                continue;
            }
            aiNode*& child = parent->mChildren[filled++];
            if (!node(child)) return false;
            child->mParent = parent;
            if (child->mNumChildren > 0) open.emplace_back(child, 0u);
        }
        return true;
    }
    bool node(aiNode*& node) {
        node = new aiNode;
        std::uint32_t children = 0;
        if (!string(node->mName) || !get(node->mTransformation) || !get(node->mNumMeshes) ||
            !items(node->mMeshes, node->mNumMeshes) || !metadata(node->mMetaData, 0) ||
            !get(children) || !fits(children, sizeof(aiNode*)))
            return false;
        if (children > 0) node->mChildren = new aiNode*[children]();
        node->mNumChildren = children;
        return true;
    }

    bool mesh(aiMesh*& mesh) {
        mesh = new aiMesh;
        std::uint32_t present = 0;
        if (!string(mesh->mName) || !get(mesh->mPrimitiveTypes) || !get(mesh->mMaterialIndex) ||
            !get(mesh->mMethod) || !get(mesh->mAABB) || !get(mesh->mNumVertices) || !get(present))
            return false;
        const unsigned count = mesh->mNumVertices;
        if ((present & hasPositions) && !items(mesh->mVertices, count)) return false;
        if ((present & hasNormals) && !items(mesh->mNormals, count)) return false;
        for (unsigned set = 0; set < AI_MAX_NUMBER_OF_TEXTURECOORDS; ++set)
            if ((present & hasCoordinates(set)) &&
                (!get(mesh->mNumUVComponents[set]) || !items(mesh->mTextureCoords[set], count)))
                return false;
        for (unsigned set = 0; set < AI_MAX_NUMBER_OF_COLOR_SETS; ++set)
            if ((present & hasColours(set)) && !items(mesh->mColors[set], count)) return false;
        return faces(*mesh) && array(mesh->mBones, mesh->mNumBones, &Reader::named<aiBone>) &&
               array(mesh->mAnimMeshes, mesh->mNumAnimMeshes, &Reader::named<aiAnimMesh>);
    }
    bool faces(aiMesh& mesh) {
        std::uint32_t faceCount = 0;
        std::uint64_t corners = 0;
        std::vector<std::uint32_t> counts;
        if (!get(faceCount) || !fits(faceCount, sizeof(aiFace) + sizeof(std::uint32_t)))
            return false;
        counts.resize(faceCount);
        if ((faceCount > 0 && !source(counts.data(), faceCount * sizeof counts[0])) ||
            !get(corners) || !fits(corners, sizeof(unsigned)))
            return false;
        std::uint64_t total = 0;
        for (std::uint32_t count : counts)
            total += count;
        if (total != corners) return false;
        if (faceCount == 0) return true;
        mesh.mFaces = new aiFace[faceCount];
        mesh.mNumFaces = faceCount;
        for (std::uint32_t i = 0; i < faceCount; ++i) {
            aiFace& face = mesh.mFaces[i];
            if (!items(face.mIndices, counts[i])) return false;
            face.mNumIndices = counts[i];
        }
        return true;
    }

    bool material(aiMaterial*& material) {
        material = new aiMaterial;
        std::uint32_t count = 0;
        if (!get(count) || !fits(count, sizeof(aiMaterialProperty))) return false;
        // The properties as they stand, in their order, duplicates too.
        delete[] material->mProperties;
        material->mProperties = new aiMaterialProperty*[count > 0 ? count : 1]();
        material->mNumAllocated = count > 0 ? count : 1;
        for (std::uint32_t i = 0; i < count; ++i) {
            auto* property = new aiMaterialProperty;
            material->mProperties[i] = property;
            material->mNumProperties = i + 1;
            std::uint32_t type = 0;
            if (!string(property->mKey) || !get(property->mSemantic) || !get(property->mIndex) ||
                !get(type) || !get(property->mDataLength) ||
                !items(property->mData, property->mDataLength))
                return false;
            property->mType = static_cast<aiPropertyTypeInfo>(type);
        }
        return true;
    }

    bool texture(aiTexture*& texture) {
        texture = new aiTexture;
        if (!get(texture->mWidth) || !get(texture->mHeight) ||
            !source(texture->achFormatHint, sizeof texture->achFormatHint) ||
            !string(texture->mFilename))
            return false;
        texture->achFormatHint[sizeof texture->achFormatHint - 1] = '\0';
        const std::size_t size = texelBytes(*texture);
        if (!fits(size, 1)) return false;
        texture->pcData = new aiTexel[(size + sizeof(aiTexel) - 1) / sizeof(aiTexel)];
        return size == 0 || source(texture->pcData, size);
    }

    template <class T> bool named(T*& item) {
        item = new T;
        return string(item->mName);
    }

    const ByteSource& source;
    std::size_t maxArrayBytes;
};

bool Reader::entry(aiMetadata& data, unsigned index, int depth) {
    aiString keyText;
    std::uint32_t type = 0;
    if (!string(keyText) || !get(type)) return false;
    const std::string key(keyText.C_Str(), keyText.length);
    switch (type) {
    case AI_BOOL:
        return value<bool>(data, index, key);
    case AI_INT32:
        return value<std::int32_t>(data, index, key);
    case AI_UINT64:
        return value<std::uint64_t>(data, index, key);
    case AI_FLOAT:
        return value<float>(data, index, key);
    case AI_DOUBLE:
        return value<double>(data, index, key);
    case AI_AIVECTOR3D:
        return value<aiVector3D>(data, index, key);
    case AI_AISTRING: {
        aiString text;
        return string(text) && (data.Set(index, key, text) || key.empty());
    }
    case AI_AIMETADATA: {
        aiMetadata* inner = nullptr;
        const bool read = metadata(inner, depth + 1);
        const bool set =
            read && (data.Set(index, key, inner ? *inner : aiMetadata()) || key.empty());
        delete inner;
        return set;
    }
    default:
        data.mKeys[index] = keyText;
        return true;
    }
}

} // namespace

bool writeScene(const aiScene& scene, const ByteSink& sink) {
    return Writer(sink).scene(scene);
}

std::unique_ptr<aiScene> readScene(const ByteSource& source, std::size_t maxArrayBytes) {
    return Reader(source, maxArrayBytes).scene();
}
