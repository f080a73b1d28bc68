#include "bench/bench_mesh.h"

#include "bench/mesh_shapes.h"

namespace {

// Every group is a 500-segment tube bent around a ring of the remaining length.
constexpr int tubeSegments = 500;
constexpr int maxGroupCount = 64;
constexpr float groupSpacing = 5.5f;

GenMaterial benchMaterial(const char* name, float red, float green, float blue) {
    GenMaterial material;
    material.name = name;
    const float diffuse[4] = {red, green, blue, 1};
    for (int k = 0; k < 4; ++k) {
        material.diffuse[k] = diffuse[k];
        material.ambient[k] = k < 3 ? diffuse[k] * 0.6f : 1.0f;
        material.emissive[k] = k < 3 ? diffuse[k] * 0.3f : 1.0f;
    }
    material.power = 16;
    return material;
}

} // namespace

bool isValidBenchGroupCount(int groupCount) {
    return groupCount >= 1 && groupCount <= maxGroupCount &&
           benchVertexCount % (groupCount * tubeSegments) == 0;
}

bool makeBenchMesh(int groupCount, GenMesh& mesh) {
    if (!isValidBenchGroupCount(groupCount)) return false;
    mesh = GenMesh();
    mesh.materials = {benchMaterial("steel", 0.7f, 0.72f, 0.75f),
                      benchMaterial("paint", 0.8f, 0.3f, 0.2f)};
    mesh.groups.resize(groupCount);
    for (int g = 0; g < groupCount; ++g) {
        TorusShape shape;
        shape.tubeSegments = tubeSegments;
        shape.ringSegments = benchVertexCount / groupCount / tubeSegments;
        shape.ringSegmentCount = shape.ringSegments;
        shape.shareSeams = true;
        shape.offset[0] = (g - (groupCount - 1) / 2.0f) * groupSpacing;
        GenGroup& group = mesh.groups[g];
        group.label = "ring" + std::to_string(g + 1);
        group.material = g % 2 + 1;
        if (!appendTorus(group, shape)) return false;
    }
    return true;
}
