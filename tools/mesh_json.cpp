#include "tools/mesh_json.h"

#include "mesh/mesh_scene.h"

#include <cmath>
#include <cstring>

namespace {

void writeFloat(std::FILE* out, float value) {
    if (std::isfinite(value))
        std::fprintf(out, "%.9g", static_cast<double>(value));
    else
        std::fputs("null", out);
}

void writeFloats(std::FILE* out, const float* values, int count) {
    std::fputc('[', out);
    for (int i = 0; i < count; ++i) {
        if (i > 0) std::fputc(',', out);
        writeFloat(out, values[i]);
    }
    std::fputc(']', out);
}

// Names are bytes from the file: control bytes and bytes above 127 are escaped so the output
// stays valid JSON whatever the file held.
void writeString(std::FILE* out, const char* text) {
    std::fputc('"', out);
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c; ++c) {
        if (*c == '"' || *c == '\\')
            std::fprintf(out, "\\%c", *c);
        else if (*c < 0x20 || *c > 0x7e)
            std::fprintf(out, "\\u%04x", *c);
        else
            std::fputc(*c, out);
    }
    std::fputc('"', out);
}

void writeGroup(std::FILE* out, const MeshGroup& group) {
    std::fprintf(out, "{\"vertexCount\":%d,\"triangleCount\":%d,\"material\":%d,\"texture\":%d,",
                 group.vertexCount, group.triangleCount, group.material, group.texture);
    std::fputs("\"vertices\":[", out);
    for (int i = 0; i < group.vertexCount; ++i) {
        if (i > 0) std::fputc(',', out);
        float values[8];
        std::memcpy(values, &group.vertices[i], sizeof values);
        writeFloats(out, values, 8);
    }
    std::fputs("],\"triangles\":[", out);
    for (int i = 0; i < group.triangleCount; ++i) {
        const int* corners = group.triangles[i].indices;
        std::fprintf(out, "%s[%d,%d,%d]", i > 0 ? "," : "", corners[0], corners[1], corners[2]);
    }
    std::fputs("]}", out);
}

void writeMaterial(std::FILE* out, const MeshMaterial& material) {
    std::fputs("{\"name\":", out);
    writeString(out, material.name);
    std::fputs(",\"diffuse\":", out);
    writeFloats(out, material.diffuse, 4);
    std::fputs(",\"ambient\":", out);
    writeFloats(out, material.ambient, 4);
    std::fputs(",\"specular\":", out);
    writeFloats(out, material.specular, 4);
    std::fputs(",\"power\":", out);
    writeFloat(out, material.power);
    std::fputs(",\"emissive\":", out);
    writeFloats(out, material.emissive, 4);
    std::fputc('}', out);
}

} // namespace

void writeMeshJson(std::FILE* out) {
    std::fputs("{\"groups\":[", out);
    for (int i = 0; i < meshScene.groupCount; ++i) {
        if (i > 0) std::fputc(',', out);
        writeGroup(out, meshScene.groups[i]);
    }
    std::fputs("],\"materials\":[", out);
    for (int i = 0; i < meshScene.materialCount; ++i) {
        if (i > 0) std::fputc(',', out);
        writeMaterial(out, meshScene.materials[i]);
    }
    std::fputs("],\"textures\":[", out);
    for (int i = 0; i < meshScene.textureCount; ++i) {
        if (i > 0) std::fputc(',', out);
        writeString(out, meshScene.textureNames[i]);
    }
    std::fputs("]}\n", out);
}
