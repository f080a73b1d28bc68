#include "tools/mesh_summary.h"

#include "mesh/mesh_scene.h"
#include "mesh/texture_path.h"

#include <GL/gl.h>

namespace {

constexpr int maxReportedPerKind = 10;

long long totalVertices() {
    long long total = 0;
    for (int i = 0; i < meshScene.groupCount; ++i)
        total += meshScene.groups[i].vertexCount;
    return total;
}

long long totalTriangles() {
    long long total = 0;
    for (int i = 0; i < meshScene.groupCount; ++i)
        total += meshScene.groups[i].triangleCount;
    return total;
}

// A name can be bound and still hold no image when the GL refused the upload.
bool holdsImage(GLuint name) {
    if (!glIsTexture(name)) return false;
    GLint width = 0;
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    return width > 0;
}

void writeTextures(std::FILE* out, const char* meshPath, bool texturesChecked) {
    std::fprintf(out, "textures: %d\n", meshScene.textureCount);
    if (meshScene.textureCount > 0 && !texturesChecked)
        std::fputs("  images not checked: no GL context\n", out);
    TextureImageFinder images(meshScene.texturesDirectory(), meshPath);
    for (int number = 1; texturesChecked && number <= meshScene.textureCount; ++number) {
        if (holdsImage(static_cast<GLuint>(number))) continue;
        char path[textFieldSize];
        const char* name = meshScene.textureNames[number - 1];
        if (!images.find(name, path, sizeof path)) {
            std::fprintf(out, "  texture %d did not load: path too long for \"%s\"\n", number,
                         name);
            continue;
        }
        std::fprintf(out, "  texture %d did not load: %s\n", number, path);
    }
}

// Counts one more finding and says whether it is still among the first few of its kind.
bool report(int& found) {
    return ++found <= maxReportedPerKind;
}

void writeMore(std::FILE* out, int found, const char* what) {
    if (found > maxReportedPerKind)
        std::fprintf(out, "  ... %d more %s out of range\n", found - maxReportedPerKind, what);
}

void writeGroupNumbers(std::FILE* out) {
    int found = 0;
    for (int i = 0; i < meshScene.groupCount; ++i) {
        const MeshGroup& group = meshScene.groups[i];
        if ((group.material < -1 || group.material > meshScene.materialCount) && report(found))
            std::fprintf(out, "  group %d: material %d out of range (materials: %d)\n", i + 1,
                         group.material, meshScene.materialCount);
        if ((group.texture < 0 || group.texture > meshScene.textureCount) && report(found))
            std::fprintf(out, "  group %d: texture %d out of range (textures: %d)\n", i + 1,
                         group.texture, meshScene.textureCount);
    }
    writeMore(out, found, "group numbers");
}

void writeCorners(std::FILE* out) {
    int found = 0;
    for (int i = 0; i < meshScene.groupCount; ++i) {
        const MeshGroup& group = meshScene.groups[i];
        for (int t = 0; t < group.triangleCount; ++t)
            for (int corner : group.triangles[t].indices)
                if ((corner < 0 || corner >= group.vertexCount) && report(found))
                    std::fprintf(out,
                                 "  group %d triangle %d: vertex index %d out of range "
                                 "(vertices: %d)\n",
                                 i + 1, t + 1, corner, group.vertexCount);
    }
    writeMore(out, found, "vertex indices");
}

} // namespace

void writeMeshSummary(std::FILE* out, const char* meshPath, bool texturesChecked) {
    std::fprintf(out, "%s\n", meshPath);
    std::fprintf(out, "groups: %d\n", meshScene.groupCount);
    std::fprintf(out, "vertices: %lld\n", totalVertices());
    std::fprintf(out, "triangles: %lld\n", totalTriangles());
    std::fprintf(out, "materials: %d\n", meshScene.materialCount);
    writeTextures(out, meshPath, texturesChecked);
    writeGroupNumbers(out);
    writeCorners(out);
}
