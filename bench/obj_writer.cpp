#include "bench/obj_writer.h"

#include "bench/line_writer.h"

namespace {

// OBJ itself has no line limit; the one of our format is kept, which only an overlong label
// can reach (a face of three 19-digit corners is under 200 characters).
constexpr std::size_t maxObjLineLength = 255;

bool writeValues(LineWriter& writer, const char* keyword, const float* values, int count) {
    writer.line() = keyword;
    appendNumbers(writer.line(), values, count);
    return writer.endLine();
}

bool writeVertex(LineWriter& writer, const GenVertex& vertex) {
    return writeValues(writer, "v ", vertex.position, 3) &&
           writeValues(writer, "vn ", vertex.normal, 3) && writeValues(writer, "vt ", vertex.uv, 2);
}

// One corner names the same position, texture coordinate and normal.
void appendCorner(std::string& line, long long index) {
    for (int k = 0; k < 3; ++k) {
        line += k == 0 ? ' ' : '/';
        appendInt(line, index);
    }
}

bool writeFaces(LineWriter& writer, const GenGroup& group, long long firstIndex) {
    const long long vertexCount = group.vertices.size();
    for (const GenTriangle& triangle : group.triangles) {
        writer.line() = "f";
        for (int corner : triangle) {
            if (corner < 0 || corner >= vertexCount) return false;
            appendCorner(writer.line(), firstIndex + corner);
        }
        if (!writer.endLine()) return false;
    }
    return true;
}

bool writeGroup(LineWriter& writer, const GenGroup& group, int groupIndex, long long firstIndex) {
    const std::string name = objGroupName(group, groupIndex);
    if (name.find_first_of(" \t\r\n") != std::string::npos) return false;
    writer.line() = "g " + name;
    if (!writer.endLine()) return false;
    for (const GenVertex& vertex : group.vertices)
        if (!writeVertex(writer, vertex)) return false;
    return writeFaces(writer, group, firstIndex);
}

} // namespace

std::string objGroupName(const GenGroup& group, int groupIndex) {
    return group.label.empty() ? "group" + std::to_string(groupIndex + 1) : group.label;
}

bool writeObj(const char* path, const GenMesh& mesh) {
    return writeTextFile(path, maxObjLineLength, [&mesh](LineWriter& writer) {
        long long firstIndex = 1;
        for (std::size_t g = 0; g < mesh.groups.size(); ++g) {
            if (!writeGroup(writer, mesh.groups[g], static_cast<int>(g), firstIndex)) return false;
            firstIndex += mesh.groups[g].vertices.size();
        }
        return true;
    });
}
