#include "bench/reference_reader.h"

#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace {

class LineSource {
  public:
    explicit LineSource(const char* path) : file_(std::fopen(path, "rb")) {
        struct stat info = {};
        if (file_ && stat(path, &info) == 0) fileSize_ = info.st_size;
    }
    ~LineSource() {
        if (file_) std::fclose(file_);
    }
    LineSource(const LineSource&) = delete;
    LineSource& operator=(const LineSource&) = delete;

    bool next() { return file_ && std::fgets(line, sizeof line, file_) != nullptr; }
    bool startsWith(const char* keyword) const {
        return std::strncmp(line, keyword, std::strlen(keyword)) == 0;
    }
    // A count no larger than the file could describe.
    bool plausible(int count) const { return count >= 0 && count <= fileSize_; }

    char line[textFieldSize];

  private:
    std::FILE* file_;
    long long fileSize_ = 0;
};

bool readGeometry(LineSource& source, MeshGroup& group) {
    int counts[2];
    if (std::sscanf(source.line, "GEOM %i %i", &counts[0], &counts[1]) != 2) return false;
    if (!source.plausible(counts[0]) || !source.plausible(counts[1])) return false;
    group.vertexCount = counts[0];
    group.triangleCount = counts[1];
    if (!group.vertices.allocate(counts[0]) || !group.triangles.allocate(counts[1])) return false;
    for (int i = 0; i < counts[0]; ++i) {
        MeshVertex& v = group.vertices[i];
        if (!source.next() || std::sscanf(source.line, "%f %f %f %f %f %f %f %f", &v.x, &v.y, &v.z,
                                          &v.nx, &v.ny, &v.nz, &v.u, &v.v) != 8)
            return false;
    }
    for (int i = 0; i < counts[1]; ++i) {
        int* corners = group.triangles[i].indices;
        if (!source.next() ||
            std::sscanf(source.line, "%i %i %i", &corners[0], &corners[1], &corners[2]) != 3)
            return false;
        for (int k = 0; k < 3; ++k)
            if (corners[k] < 0 || corners[k] >= counts[0]) return false;
    }
    return true;
}

// Header lines up to and including GEOM; lines the viewer does not store are skipped.
bool readGroup(LineSource& source, MeshGroup& group) {
    while (source.next()) {
        if (source.startsWith("GEOM ")) return readGeometry(source, group);
        if (source.startsWith("MATERIAL ") &&
            std::sscanf(source.line, "MATERIAL %i", &group.material) != 1)
            return false;
        if (source.startsWith("TEXTURE ") &&
            std::sscanf(source.line, "TEXTURE %i", &group.texture) != 1)
            return false;
    }
    return false;
}

bool scanColour(const char* line, float* rgba) {
    return std::sscanf(line, "%f %f %f %f", &rgba[0], &rgba[1], &rgba[2], &rgba[3]) == 4;
}

bool readColour(LineSource& source, float* rgba) {
    return source.next() && scanColour(source.line, rgba);
}

// The specular line may end with the exponent.
bool readSpecular(LineSource& source, MeshMaterial& material) {
    float* rgba = material.specular;
    return source.next() && std::sscanf(source.line, "%f %f %f %f %f", &rgba[0], &rgba[1], &rgba[2],
                                        &rgba[3], &material.power) >= 4;
}

bool readMaterial(LineSource& source, MeshMaterial& material) {
    if (!source.next()) return false;
    // The "MATERIAL name" header is optional; without it this line is already the diffuse.
    const bool diffuse = source.startsWith("MATERIAL ") ? readColour(source, material.diffuse)
                                                        : scanColour(source.line, material.diffuse);
    return diffuse && readColour(source, material.ambient) && readSpecular(source, material) &&
           readColour(source, material.emissive);
}

bool readGroups(LineSource& source, ReferenceScene& scene) {
    if (std::sscanf(source.line, "GROUPS %i", &scene.groupCount) != 1 ||
        !source.plausible(scene.groupCount))
        return false;
    scene.groups = std::make_unique<MeshGroup[]>(scene.groupCount);
    for (int g = 0; g < scene.groupCount; ++g)
        if (!readGroup(source, scene.groups[g])) return false;
    return true;
}

bool readMaterials(LineSource& source, ReferenceScene& scene) {
    if (std::sscanf(source.line, "MATERIALS %i", &scene.materialCount) != 1 ||
        !source.plausible(scene.materialCount))
        return false;
    scene.materials = std::make_unique<MeshMaterial[]>(scene.materialCount);
    for (int m = 0; m < scene.materialCount; ++m)
        if (!source.next() || std::sscanf(source.line, "%255s", scene.materials[m].name) != 1)
            return false;
    for (int m = 0; m < scene.materialCount; ++m)
        if (!readMaterial(source, scene.materials[m])) return false;
    return true;
}

bool readTextures(LineSource& source, ReferenceScene& scene) {
    if (std::sscanf(source.line, "TEXTURES %i", &scene.textureCount) != 1 ||
        !source.plausible(scene.textureCount))
        return false;
    scene.textureNames = std::make_unique<TextureName[]>(scene.textureCount);
    for (int t = 0; t < scene.textureCount; ++t)
        if (!source.next() || std::sscanf(source.line, "%255[^\r\n]", scene.textureNames[t]) != 1)
            return false;
    return true;
}

} // namespace

bool readReference(const char* path, ReferenceScene& scene) {
    LineSource source(path);
    if (!source.next() || std::strcmp(source.line, "MSHX1\n") != 0) return false;
    while (source.next()) {
        if (source.startsWith("GROUPS ") && !readGroups(source, scene)) return false;
        if (source.startsWith("MATERIALS ") && !readMaterials(source, scene)) return false;
        if (source.startsWith("TEXTURES ")) return readTextures(source, scene);
    }
    return true;
}

MeshSums sumGroups(const MeshGroup* groups, int groupCount) {
    MeshSums sums;
    for (int g = 0; g < groupCount; ++g) {
        const MeshGroup& group = groups[g];
        sums.vertices += group.vertexCount;
        sums.triangles += group.triangleCount;
        for (int i = 0; i < group.vertexCount; ++i) {
            const MeshVertex& v = group.vertices[i];
            sums.vertexFields += double(v.x) + v.y + v.z + v.nx + v.ny + v.nz + v.u + v.v;
        }
        for (int i = 0; i < group.triangleCount; ++i)
            for (int corner : group.triangles[i].indices)
                sums.cornerIndices += corner;
    }
    return sums;
}
