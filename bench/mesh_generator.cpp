#include "bench/mesh_generator.h"

#include "bench/line_writer.h"

#include <charconv>

namespace {

bool hasLineEnd(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

bool writeText(LineWriter& writer, const char* keyword, const std::string& text) {
    if (hasLineEnd(text)) return false;
    writer.line() = keyword;
    writer.line() += text;
    return writer.endLine();
}

bool writeKeywordInts(LineWriter& writer, const char* keyword, long long a, long long b = -1) {
    writer.line() = keyword;
    writer.line() += ' ';
    appendInt(writer.line(), a);
    if (b >= 0) {
        writer.line() += ' ';
        appendInt(writer.line(), b);
    }
    return writer.endLine();
}

bool writeGroupHeader(LineWriter& writer, const GenGroup& group) {
    if (!group.label.empty() && !writeText(writer, "LABEL ", group.label)) return false;
    if (group.material >= 0 && !writeKeywordInts(writer, "MATERIAL", group.material)) return false;
    if (group.texture > 0 && !writeKeywordInts(writer, "TEXTURE", group.texture)) return false;
    for (const std::string& extra : group.extraLines)
        if (!writeText(writer, "", extra)) return false;
    return writeKeywordInts(writer, "GEOM", group.vertices.size(), group.triangles.size());
}

bool writeGroup(LineWriter& writer, const GenGroup& group) {
    if (!writeGroupHeader(writer, group)) return false;
    for (const GenVertex& vertex : group.vertices) {
        std::string& line = writer.line();
        appendNumbers(line, vertex.position, 3);
        line += ' ';
        appendNumbers(line, vertex.normal, 3);
        line += ' ';
        appendNumbers(line, vertex.uv, 2);
        if (!writer.endLine()) return false;
    }
    const long long vertexCount = group.vertices.size();
    for (const GenTriangle& triangle : group.triangles) {
        for (int i = 0; i < 3; ++i) {
            if (triangle[i] < 0 || triangle[i] >= vertexCount) return false;
            if (i > 0) writer.line() += ' ';
            appendInt(writer.line(), triangle[i]);
        }
        if (!writer.endLine()) return false;
    }
    return true;
}

bool writeColour(LineWriter& writer, const float* rgba) {
    appendNumbers(writer.line(), rgba, 4);
    return writer.endLine();
}

bool writeMaterial(LineWriter& writer, const GenMaterial& material) {
    if (material.writeHeader && !writeText(writer, "MATERIAL ", material.name)) return false;
    if (!writeColour(writer, material.diffuse) || !writeColour(writer, material.ambient))
        return false;
    appendNumbers(writer.line(), material.specular, 4);
    if (material.power != 0) {
        writer.line() += ' ';
        appendNumber(writer.line(), material.power);
    }
    return writer.endLine() && writeColour(writer, material.emissive);
}

bool writeGroups(LineWriter& writer, const std::vector<GenGroup>& groups) {
    if (groups.empty()) return true;
    if (!writeKeywordInts(writer, "GROUPS", groups.size())) return false;
    for (const GenGroup& group : groups)
        if (!writeGroup(writer, group)) return false;
    return true;
}

bool writeMaterials(LineWriter& writer, const std::vector<GenMaterial>& materials) {
    if (materials.empty()) return true;
    if (!writeKeywordInts(writer, "MATERIALS", materials.size())) return false;
    for (const GenMaterial& material : materials)
        if (material.name.empty() || !writeText(writer, "", material.name)) return false;
    for (const GenMaterial& material : materials)
        if (!writeMaterial(writer, material)) return false;
    return true;
}

bool writeTextures(LineWriter& writer, const std::vector<std::string>& textures) {
    if (textures.empty()) return true;
    if (!writeKeywordInts(writer, "TEXTURES", textures.size())) return false;
    for (const std::string& name : textures)
        if (name.empty() || !writeText(writer, "", name)) return false;
    return true;
}

} // namespace

void appendNumber(std::string& out, float value) {
    char text[32];
    auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
    out.append(text, result.ptr);
}

void appendNumbers(std::string& out, const float* values, int count) {
    for (int i = 0; i < count; ++i) {
        if (i > 0) out += ' ';
        appendNumber(out, values[i]);
    }
}

bool writeMesh(const char* path, const GenMesh& mesh) {
    return writeTextFile(path, maxLineLength, [&mesh](LineWriter& writer) {
        writer.line() = "MSHX1";
        return writer.endLine() && writeGroups(writer, mesh.groups) &&
               writeMaterials(writer, mesh.materials) && writeTextures(writer, mesh.textures);
    });
}
