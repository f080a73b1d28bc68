#include "fuzz/scene_check.h"

#include "mesh/mesh_scene.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

[[noreturn]] void fail(const char* rule) {
    std::fprintf(stderr, "korvalin fuzz: the loaded scene breaks a rule: %s\n", rule);
    std::abort();
}

void require(bool holds, const char* rule) {
    if (!holds) fail(rule);
}

// Reading every byte lets AddressSanitizer see a count larger than its array.
volatile unsigned char sink;

void touch(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    unsigned char sum = 0;
    for (std::size_t i = 0; i < size; ++i)
        sum = static_cast<unsigned char>(sum + bytes[i]);
    sink = sum;
}

void checkGroup(const MeshGroup& group) {
    require(group.vertexCount >= 0 && group.triangleCount >= 0, "group counts not below 0");
    require(group.vertexCount == 0 || group.vertices, "vertices behind a vertex count");
    require(group.triangleCount == 0 || group.triangles, "triangles behind a triangle count");
    touch(group.vertices.get(), sizeof(MeshVertex) * group.vertexCount);
    touch(group.triangles.get(), sizeof(MeshTriangle) * group.triangleCount);
}

void checkNames(const char* name) {
    require(std::memchr(name, '\0', textFieldSize) != nullptr, "names end within their field");
}

} // namespace

void checkLoadedScene(bool loaded) {
    const MeshScene& scene = meshScene;
    if (!loaded)
        require(scene.groupCount == 0 && scene.materialCount == 0 && scene.textureCount == 0,
                "a refused load leaves the released scene empty");
    require(scene.groupCount >= 0 && scene.materialCount >= 0 && scene.textureCount >= 0,
            "scene counts not below 0");
    require(scene.groupCount == 0 || scene.groups, "groups behind the group count");
    require(scene.materialCount == 0 || scene.materials, "materials behind the material count");
    require(scene.textureCount == 0 || scene.textureNames, "names behind the texture count");
    for (int i = 0; i < scene.groupCount; ++i)
        checkGroup(scene.groups[i]);
    for (int i = 0; i < scene.materialCount; ++i) {
        touch(&scene.materials[i], sizeof(MeshMaterial));
        checkNames(scene.materials[i].name);
    }
    for (int i = 0; i < scene.textureCount; ++i)
        checkNames(scene.textureNames[i]);
}
