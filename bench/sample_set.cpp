#include "bench/sample_set.h"

#include "bench/mesh_shapes.h"
#include "bench/texture_images.h"

#include <initializer_list>
#include <string>

namespace {

using Colour = std::initializer_list<float>;

GenMaterial material(const char* name, Colour diffuse, Colour ambient, Colour specular, float power,
                     Colour emissive) {
    GenMaterial result;
    result.name = name;
    auto copy = [](Colour from, float* to) {
        int k = 0;
        for (float value : from)
            to[k++] = value;
    };
    copy(diffuse, result.diffuse);
    copy(ambient, result.ambient);
    copy(specular, result.specular);
    result.power = power;
    copy(emissive, result.emissive);
    return result;
}

GenVertex vertex(Colour values) {
    GenVertex result;
    float* fields[8] = {&result.position[0], &result.position[1], &result.position[2],
                        &result.normal[0],   &result.normal[1],   &result.normal[2],
                        &result.uv[0],       &result.uv[1]};
    int k = 0;
    for (float value : values)
        *fields[k++] = value;
    return result;
}

GenGroup cubeGroup(const char* label, int material, int texture,
                   std::initializer_list<std::pair<int, int>> faces) {
    GenGroup group;
    group.label = label;
    group.material = material;
    group.texture = texture;
    const float centre[3] = {0, 0, 0};
    for (auto [axis, sign] : faces)
        appendCubeFace(group, centre, 1.0f, axis, sign);
    return group;
}

GenGroup torusHalf(const char* label, int material, int texture, int half) {
    TorusShape shape;
    shape.majorRadius = 2.0f;
    shape.minorRadius = 0.7f;
    shape.ringSegments = 250;
    shape.tubeSegments = 100;
    shape.ringSegmentCount = shape.ringSegments / 2;
    shape.firstRingSegment = half * shape.ringSegmentCount;
    GenGroup group;
    group.label = label;
    group.material = material;
    group.texture = texture;
    appendTorus(group, shape);
    return group;
}

bool writeImage(const std::string& folder, const char* name, const RgbaImage& image) {
    const std::string path = folder + "/" + name;
    RgbaImage readBack;
    return saveImage(path.c_str(), image) && loadImage(path.c_str(), readBack) &&
           readBack.width == image.width && readBack.height == image.height;
}

bool writeSampleMesh(const std::string& folder, const char* name, const GenMesh& mesh) {
    return writeMesh((folder + "/" + name).c_str(), mesh);
}

} // namespace

GenMesh makeHullExample() {
    GenMesh mesh;
    GenGroup body;
    body.label = "body";
    body.material = 1;
    body.texture = 1;
    body.vertices = {vertex({0, 0, 0, 0, 1, 0, 0, 0}), vertex({1, 0, 0, 0, 1, 0, 1, 0}),
                     vertex({0, 0, 1, 0, 1, 0, 0, 1})};
    body.triangles = {{0, 1, 2}};
    GenGroup window;
    window.label = "window";
    window.material = 2;
    window.extraLines = {"FLAG 3"};
    window.vertices = {vertex({0, 1, 0, 0, 0, 1, 0, 0}), vertex({1, 1, 0, 0, 0, 1, 0, 0}),
                       vertex({1, 1, 1, 0, 0, 1, 0, 0}), vertex({0, 1, 1, 0, 0, 1, 0, 0})};
    window.triangles = {{0, 1, 2}, {0, 2, 3}};
    mesh.groups = {body, window};
    mesh.materials = {
        material("hull", {1, 1, 1, 1}, {0.2f, 0.2f, 0.2f, 1}, {0, 0, 0, 1}, 0, {0, 0, 0, 1}),
        material("glass", {0.5f, 0.6f, 0.7f, 0.4f}, {0.5f, 0.6f, 0.7f, 0.4f}, {1, 1, 1, 1}, 20,
                 {0, 0, 0, 1})};
    mesh.textures = {"hull.dds"};
    return mesh;
}

GenMesh makeCubeSample() {
    GenMesh mesh;
    mesh.groups = {cubeGroup("sides", 1, 1, {{0, 1}, {0, -1}, {2, 1}, {2, -1}}),
                   cubeGroup("lid", 2, 2, {{1, 1}}), cubeGroup("base", 1, 0, {{1, -1}})};
    // Shown colour is ambient + emissive: warm white on the wood, a clear blue on the lid.
    mesh.materials = {material("wood", {0.8f, 0.7f, 0.5f, 1}, {0.6f, 0.5f, 0.35f, 1},
                               {0.1f, 0.1f, 0.1f, 1}, 5, {0.35f, 0.35f, 0.35f, 1}),
                      material("tinted_glass", {0.3f, 0.6f, 0.9f, 0.45f}, {0.2f, 0.4f, 0.6f, 0.45f},
                               {1, 1, 1, 1}, 40, {0.1f, 0.2f, 0.3f, 1})};
    mesh.textures = {"crate.png", "stripes.tga"};
    return mesh;
}

GenMesh makeTorusSample() {
    GenMesh mesh;
    mesh.groups = {torusHalf("gilded_half", 1, 1, 0), torusHalf("enamel_half", 2, 0, 1)};
    mesh.materials = {material("brass", {0.9f, 0.75f, 0.3f, 1}, {0.55f, 0.45f, 0.2f, 1},
                               {0.9f, 0.9f, 0.8f, 1}, 30, {0.45f, 0.4f, 0.35f, 1}),
                      material("enamel", {0.15f, 0.35f, 0.6f, 1}, {0.1f, 0.25f, 0.5f, 1},
                               {0.5f, 0.5f, 0.5f, 1}, 10, {0.05f, 0.1f, 0.2f, 1})};
    mesh.textures = {"checker.png"};
    return mesh;
}

bool writeSamples(const char* folder) {
    const std::string dir = folder;
    return writeSampleMesh(dir, "hull.msh", makeHullExample()) &&
           writeSampleMesh(dir, "cube.msh", makeCubeSample()) &&
           writeSampleMesh(dir, "torus.msh", makeTorusSample()) &&
           writeImage(dir, "hull.dds", makeHullPlatesImage(64)) &&
           writeImage(dir, "crate.png", makeCrateImage(128)) &&
           writeImage(dir, "stripes.tga", makeStripesImage(64)) &&
           writeImage(dir, "checker.png", makeCheckerImage(128));
}
