#pragma once

// For the draw tests: a real frame after the viewer's start-up, a scene filled straight into
// meshScene, and the frame's pixels read back.
#include "mesh/mesh_scene.h"
#include "platform/headless/egl_context.h"
#include "render/draw_pass.h"
#include "render/viewport.h"
#include "tests/support/scene_reset.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

struct Point3 {
    float x, y, z;
};

struct TestGroup {
    int material = 0;
    int texture = 0;
    std::vector<MeshVertex> vertices;
    std::vector<MeshTriangle> triangles;
};

// A rectangle facing the eye at both angles 0, in screen units of its own plane: right and up
// on the screen, depth away from the eye (file z = -right, y = up, x = depth).
struct Rect {
    float left, bottom, right, top;
    float depth = 0;
};

inline MeshVertex vertexAt(Point3 file, Point3 normal = {-1, 0, 0}, float u = 0, float v = 0) {
    return MeshVertex{file.x, file.y, file.z, normal.x, normal.y, normal.z, u, v};
}

inline void addTriangle(TestGroup& group, int a, int b, int c) {
    group.triangles.push_back({{a, b, c}});
}

// Two triangles, clockwise on the screen (the front after setupScene); texture coordinates
// 0..1 from left to right and from bottom to top.
inline void addRect(TestGroup& group, const Rect& r, Point3 normal = {-1, 0, 0}) {
    int first = static_cast<int>(group.vertices.size());
    group.vertices.push_back(vertexAt({r.depth, r.top, -r.left}, normal, 0, 1));
    group.vertices.push_back(vertexAt({r.depth, r.top, -r.right}, normal, 1, 1));
    group.vertices.push_back(vertexAt({r.depth, r.bottom, -r.right}, normal, 1, 0));
    group.vertices.push_back(vertexAt({r.depth, r.bottom, -r.left}, normal, 0, 0));
    addTriangle(group, first, first + 1, first + 2);
    addTriangle(group, first, first + 2, first + 3);
}

inline TestGroup rectGroup(int material, const Rect& r, int texture = 0) {
    TestGroup group;
    group.material = material;
    group.texture = texture;
    addRect(group, r);
    return group;
}

// Arrays only where there are elements: a group without vertices has none, as the reader
// leaves it.
inline void copyGroup(const TestGroup& from, MeshGroup& to) {
    to.material = from.material;
    to.texture = from.texture;
    to.vertexCount = static_cast<int>(from.vertices.size());
    to.triangleCount = static_cast<int>(from.triangles.size());
    if (to.vertexCount > 0) {
        to.vertices.allocate(from.vertices.size());
        std::copy(from.vertices.begin(), from.vertices.end(), to.vertices.get());
    }
    if (to.triangleCount > 0) {
        to.triangles.allocate(from.triangles.size());
        std::copy(from.triangles.begin(), from.triangles.end(), to.triangles.get());
    }
}

inline void setGroups(const std::vector<TestGroup>& groups) {
    meshScene.groupCount = static_cast<int>(groups.size());
    meshScene.groups = std::make_unique<MeshGroup[]>(groups.size());
    for (std::size_t i = 0; i < groups.size(); ++i)
        copyGroup(groups[i], meshScene.groups[i]);
}

inline void setMaterials(const std::vector<MeshMaterial>& materials) {
    meshScene.materialCount = static_cast<int>(materials.size());
    meshScene.materials = std::make_unique<MeshMaterial[]>(materials.size());
    for (std::size_t i = 0; i < materials.size(); ++i)
        meshScene.materials[i] = materials[i];
}

struct Colour {
    int r, g, b;
};

inline Colour bytes(float r, float g, float b) {
    auto toByte = [](float c) { return static_cast<int>(std::lround(c * 255)); };
    return {toByte(r), toByte(g), toByte(b)};
}

inline std::string describe(Colour c) {
    return "(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " + std::to_string(c.b) +
           ")";
}

inline constexpr Colour black{0, 0, 0};
inline constexpr Colour white{255, 255, 255};

struct Pixel {
    int x, y; // window coordinates, rows from the bottom
};

inline Colour pixelAt(Pixel p) {
    unsigned char rgba[4] = {0, 0, 0, 0};
    glReadPixels(p.x, p.y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return {rgba[0], rgba[1], rgba[2]};
}

inline bool coloursNear(Colour a, Colour b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

inline void expectColour(Pixel p, Colour expected, const std::string& what) {
    Colour found = pixelAt(p);
    EXPECT_TRUE(coloursNear(found, expected, 3))
        << what << ": pixel (" << p.x << ", " << p.y << ") from the bottom left is "
        << describe(found) << ", expected " << describe(expected);
}

// A side × side frame in the state the viewer starts in: the first resize, then setupScene
// (aspect 4/3, far plane 1000); meshScene empty before and after each test.
class StartUpFrameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetMeshScene();
        ASSERT_TRUE(context.create(side, side)) << "no headless GL context (EGL, Mesa)";
        resizeViewport(side, side);
        setupScene();
    }
    void TearDown() override { resetMeshScene(); }

    static constexpr int side = 128;
    HeadlessGLContext context;
};
