#include "tools/convert/import_geometry.h"

#include "tools/convert/frame.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

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

// The group's vertices, each kept once; keptAs[i] is where the mesh's vertex i went.
std::vector<MeshVertex> joinedVertices(const Placement& placement, unsigned uvChannel,
                                       bool topRowFirst, std::vector<unsigned>& keptAs) {
    const aiMesh& mesh = *placement.mesh;
    const bool moved = !placement.transform.isIdentity();
    const Affine normals = normalTransform(placement.transform);
    const aiVector3D* uvs =
        mesh.HasTextureCoords(uvChannel) ? mesh.mTextureCoords[uvChannel] : nullptr;
    std::vector<MeshVertex> vertices;
    keptAs.assign(mesh.mNumVertices, 0);
    VertexJoiner joiner(mesh.mNumVertices);
    vertices.reserve(mesh.mNumVertices);
    for (unsigned i = 0; i < mesh.mNumVertices; ++i) {
        aiVector3D position = mesh.mVertices[i];
        aiVector3D normal = mesh.HasNormals() ? mesh.mNormals[i] : aiVector3D();
        if (moved) {
            position = place(placement.transform, position);
            normal = turnNormal(normals, normal);
        }
        const aiVector3D uv = uvs ? uvs[i] : aiVector3D();
        keptAs[i] = joiner.keep(mshVertex(position, normal, uv, topRowFirst), vertices);
    }
    vertices.shrink_to_fit();
    return vertices;
}

std::vector<MeshTriangle> keptTriangles(const Placement& placement,
                                        const std::vector<unsigned>& keptAs) {
    const aiMesh& mesh = *placement.mesh;
    // The mirror between the frames turns every triangle, unless the node mirrors it back.
    const bool reverse = placement.transform.determinant() >= 0;
    std::vector<MeshTriangle> triangles;
    triangles.reserve(mesh.mNumFaces);
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
        triangles.push_back(triangle);
    }
    return triangles;
}

} // namespace

MshGroup makeGroup(const Placement& placement, unsigned uvChannel, bool topRowFirst) {
    MshGroup group;
    std::vector<unsigned> keptAs;
    group.vertices = joinedVertices(placement, uvChannel, topRowFirst, keptAs);
    group.triangles = keptTriangles(placement, keptAs);
    return group;
}
