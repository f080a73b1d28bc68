#include "tests/convert/glb_builder.h"

#include <cstdint>
#include <cstring>
#include <sstream>

namespace {

void append(std::string& bytes, const void* data, std::size_t size) {
    bytes.append(static_cast<const char*>(data), size);
}

void padTo4(std::string& bytes, char fill) {
    while (bytes.size() % 4 != 0)
        bytes += fill;
}

void appendChunk(std::string& glb, const std::string& content, std::uint32_t type) {
    std::uint32_t length = static_cast<std::uint32_t>(content.size());
    append(glb, &length, 4);
    append(glb, &type, 4);
    glb += content;
}

} // namespace

std::string squareGlb(const std::string& png, const std::vector<GlbNode>& nodes) {
    const float positions[4][3] = {{0, -2, -2}, {0, -2, 2}, {0, 2, 2}, {0, 2, -2}};
    const float normals[4][3] = {{-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}};
    const float uvs[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    const std::uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    std::string bin;
    append(bin, positions, sizeof positions); // view 0: offset 0, 48 bytes
    append(bin, normals, sizeof normals);     // view 1: offset 48, 48 bytes
    append(bin, uvs, sizeof uvs);             // view 2: offset 96, 32 bytes
    append(bin, indices, sizeof indices);     // view 3: offset 128, 12 bytes
    const std::size_t imageOffset = bin.size();
    bin += png; // view 4
    padTo4(bin, '\0');

    std::ostringstream json;
    json << R"({"asset":{"version":"2.0","generator":"korvalin test"},"scene":0,)"
         << R"("scenes":[{"nodes":[)";
    for (std::size_t i = 0; i < nodes.size(); ++i)
        json << (i ? "," : "") << i;
    json << "]}],\"nodes\":[";
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const GlbNode& n = nodes[i];
        json << (i ? "," : "") << R"({"mesh":0,"translation":[)" << n.translation[0] << ","
             << n.translation[1] << "," << n.translation[2] << R"(],"scale":[)" << n.scale[0] << ","
             << n.scale[1] << "," << n.scale[2] << "]}";
    }
    json << R"(],"meshes":[{"name":"square","primitives":[{"attributes":{"POSITION":0,)"
         << R"("NORMAL":1,"TEXCOORD_0":2},"indices":3,"material":0}]}],)"
         << R"("materials":[{"name":"painted","pbrMetallicRoughness":{"baseColorTexture":)"
         << R"({"index":0},"baseColorFactor":[1,1,1,1],"metallicFactor":0}}],)"
         << R"("textures":[{"source":0}],)"
         << R"("images":[{"name":"quadrants.png","bufferView":4,"mimeType":"image/png"}],)"
         << R"("buffers":[{"byteLength":)" << bin.size() << "}],"
         << R"("bufferViews":[{"buffer":0,"byteOffset":0,"byteLength":48},)"
         << R"({"buffer":0,"byteOffset":48,"byteLength":48},)"
         << R"({"buffer":0,"byteOffset":96,"byteLength":32},)"
         << R"({"buffer":0,"byteOffset":128,"byteLength":12},)"
         << R"({"buffer":0,"byteOffset":)" << imageOffset << R"(,"byteLength":)" << png.size()
         << "}],"
         << R"("accessors":[{"bufferView":0,"componentType":5126,"count":4,"type":"VEC3",)"
         << R"("min":[0,-2,-2],"max":[0,2,2]},)"
         << R"({"bufferView":1,"componentType":5126,"count":4,"type":"VEC3"},)"
         << R"({"bufferView":2,"componentType":5126,"count":4,"type":"VEC2"},)"
         << R"({"bufferView":3,"componentType":5123,"count":6,"type":"SCALAR"}]})";
    std::string jsonText = json.str();
    padTo4(jsonText, ' ');

    std::string glb = "glTF";
    const std::uint32_t version = 2;
    const std::uint32_t length =
        static_cast<std::uint32_t>(12 + 8 + jsonText.size() + 8 + bin.size());
    append(glb, &version, 4);
    append(glb, &length, 4);
    appendChunk(glb, jsonText, 0x4E4F534A); // "JSON"
    appendChunk(glb, bin, 0x004E4942);      // "BIN"
    return glb;
}
