// renderScene's effects on GL state and on meshScene, and what it makes of numbers that are
// out of range: a real context, meshScene filled directly.
#include "mesh/mesh_scene.h"
#include "render/draw_pass.h"
#include "render/viewport.h"
#include "tests/support/gl_pixels.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace {

// Ambient is the colour seen; diffuse, specular and power are set to other values so that a
// light or a wrong property would change what is drawn.
MeshMaterial material(float r, float g, float b, float power = 5.0f) {
    MeshMaterial m;
    const float diffuse[4] = {1.0f - r, 0.5f, g, 1.0f};
    const float ambient[4] = {r, g, b, 1.0f};
    const float specular[4] = {0.3f, 0.9f, 0.1f, 1.0f};
    for (int i = 0; i < 4; ++i) {
        m.diffuse[i] = diffuse[i];
        m.ambient[i] = ambient[i];
        m.specular[i] = specular[i];
    }
    m.power = power;
    return m;
}

std::vector<int> groupMaterials() {
    std::vector<int> numbers;
    for (int i = 0; i < meshScene.groupCount; ++i)
        numbers.push_back(meshScene.groups[i].material);
    return numbers;
}

class DrawPassTest : public StartUpFrameTest {
  protected:
    // Where a point of the plane through the origin lands in the window (rows from the
    // bottom), with the start-up projection (70 degrees, 4/3) and the eye at distance 10.
    static Pixel windowPoint(float right, float up) {
        const double f = 1.0 / std::tan(35.0 * std::acos(-1.0) / 180.0);
        const double distance = 10.0;
        double ndcX = right * f / (4.0 / 3.0 * distance);
        double ndcY = up * f / distance;
        return {static_cast<int>(std::floor((ndcX + 1) / 2 * side)),
                static_cast<int>(std::floor((ndcY + 1) / 2 * side))};
    }
    static Pixel centreOf(const Rect& r) {
        return windowPoint((r.left + r.right) / 2, (r.bottom + r.top) / 2);
    }

    static std::vector<unsigned char> frame() {
        std::vector<unsigned char> pixels(static_cast<std::size_t>(side) * side * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, side, side, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

    static int litPixels(const std::vector<unsigned char>& pixels) {
        int lit = 0;
        for (std::size_t i = 0; i < pixels.size(); i += 4)
            if (pixels[i] || pixels[i + 1] || pixels[i + 2]) ++lit;
        return lit;
    }
};

// Five rectangles side by side, left to right.
Rect slot(int i) {
    float left = -8.0f + 3.3f * static_cast<float>(i);
    return {left, -1.5f, left + 2.5f, 1.5f};
}

TEST_F(DrawPassTest, MaterialMinusOneTakesThePreviousGroupsNumber) {
    const Colour first = bytes(0.8f, 0.2f, 0.2f), second = bytes(0.2f, 0.8f, 0.2f),
                 third = bytes(0.2f, 0.4f, 0.8f);
    setMaterials(
        {material(0.8f, 0.2f, 0.2f), material(0.2f, 0.8f, 0.2f), material(0.2f, 0.4f, 0.8f)});
    const int numbers[5] = {3, -1, -1, 0, -1};
    std::vector<TestGroup> groups;
    for (int i = 0; i < 5; ++i)
        groups.push_back(rectGroup(numbers[i], slot(i)));
    setGroups(groups);

    renderScene();
    EXPECT_EQ(groupMaterials(), (std::vector<int>{3, 3, 3, 0, 0}));
    const Colour drawn[5] = {third, third, third, white, white};
    for (int i = 0; i < 5; ++i)
        expectColour(centreOf(slot(i)), drawn[i], "group " + std::to_string(i));

    // The stored numbers hold for the next frame: it draws the same.
    renderScene();
    EXPECT_EQ(groupMaterials(), (std::vector<int>{3, 3, 3, 0, 0}));
    for (int i = 0; i < 5; ++i)
        expectColour(centreOf(slot(i)), drawn[i], "second frame, group " + std::to_string(i));

    // A run of first groups without a number has nothing before it: the default material.
    const int leading[5] = {-1, -1, 2, -1, 1};
    groups.clear();
    for (int i = 0; i < 5; ++i)
        groups.push_back(rectGroup(leading[i], slot(i)));
    setGroups(groups);
    renderScene();
    EXPECT_EQ(groupMaterials(), (std::vector<int>{0, 0, 2, 2, 1}));
    const Colour leadingDrawn[5] = {white, white, second, second, first};
    for (int i = 0; i < 5; ++i)
        expectColour(centreOf(slot(i)), leadingDrawn[i], "leading run, group " + std::to_string(i));
}

// The material state of GL_FRONT as glGetMaterialfv reports it.
struct FrontMaterial {
    GLfloat diffuse[4], ambient[4], specular[4], shininess, emission[4];
};

FrontMaterial frontMaterial() {
    FrontMaterial m{};
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, m.diffuse);
    glGetMaterialfv(GL_FRONT, GL_AMBIENT, m.ambient);
    glGetMaterialfv(GL_FRONT, GL_SPECULAR, m.specular);
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &m.shininess);
    glGetMaterialfv(GL_FRONT, GL_EMISSION, m.emission);
    return m;
}

void expectFrontMaterial(const float (&diffuse)[4], const float (&ambient)[4],
                         const float (&specular)[4], float power, const float (&emissive)[4],
                         const std::string& what) {
    SCOPED_TRACE(what);
    FrontMaterial m = frontMaterial();
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(m.diffuse[i], diffuse[i]) << "diffuse " << i;
        EXPECT_FLOAT_EQ(m.ambient[i], ambient[i]) << "ambient " << i;
        EXPECT_FLOAT_EQ(m.specular[i], specular[i]) << "specular " << i;
        EXPECT_FLOAT_EQ(m.emission[i], emissive[i]) << "emission " << i;
    }
    EXPECT_FLOAT_EQ(m.shininess, power) << "shininess";
}

void expectFrontMaterial(const MeshMaterial& expected, const std::string& what) {
    expectFrontMaterial(expected.diffuse, expected.ambient, expected.specular, expected.power,
                        expected.emissive, what);
}

void expectDefaultFrontMaterial(const std::string& what) {
    const float one[4] = {1, 1, 1, 1};
    const float zero[4] = {0, 0, 0, 0};
    expectFrontMaterial(one, one, one, 0.0f, zero, what);
}

TEST_F(DrawPassTest, MaterialNumberKIsTheKthMaterial) {
    MeshMaterial a = material(0.1f, 0.2f, 0.3f, 17.0f);
    a.emissive[0] = 0.05f;
    a.emissive[3] = 0.5f;
    MeshMaterial b = material(0.6f, 0.5f, 0.4f, 64.0f);
    b.emissive[2] = 0.25f;
    setMaterials({a, b});
    const Rect r{-2, -2, 2, 2};

    setGroups({rectGroup(1, r)});
    renderScene();
    expectFrontMaterial(a, "one group with material 1");

    setGroups({rectGroup(2, r)});
    renderScene();
    expectFrontMaterial(b, "one group with material 2");

    // The state left is the last group's.
    setGroups({rectGroup(2, {-6, -2, -3, 2}), rectGroup(1, r)});
    renderScene();
    expectFrontMaterial(a, "groups 2 then 1");

    // Numbers outside -1..materialCount fall back to the default material, also right after a
    // frame that set another one, and are kept as they are.
    for (int number : {99, 3, -5, 0}) {
        setGroups({rectGroup(2, r)});
        renderScene();
        setGroups({rectGroup(number, r)});
        renderScene();
        expectDefaultFrontMaterial("material " + std::to_string(number));
        EXPECT_EQ(meshScene.groups[0].material, number);
        expectColour(centreOf(r), white, "material " + std::to_string(number));
    }

    // Without any materials, material 1 is out of range as well.
    setMaterials({});
    setGroups({rectGroup(1, r)});
    renderScene();
    expectDefaultFrontMaterial("material 1 of none");
    expectColour(centreOf(r), white, "material 1 of none");
}

// A 2x2 image of one colour uploaded straight into the texture name.
void makeTexture(GLuint name, Colour c) {
    const unsigned char texel[4] = {static_cast<unsigned char>(c.r),
                                    static_cast<unsigned char>(c.g),
                                    static_cast<unsigned char>(c.b), 255};
    unsigned char pixels[16];
    for (int i = 0; i < 16; ++i)
        pixels[i] = texel[i % 4];
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    glBindTexture(GL_TEXTURE_2D, 0);
}

TEST_F(DrawPassTest, TextureNumbersOutsideTheListDrawUntextured) {
    // Every name a wrong lookup could bind holds a red image; red modulating the material's
    // colour would drop its green and blue.
    const Colour red{255, 0, 0};
    for (GLuint name : {0u, 1u, 2u, 7u, 0xFFFFFFFFu})
        makeTexture(name, red);
    meshScene.textureCount = 1;
    setMaterials({material(0.2f, 0.6f, 0.8f)});
    const Colour plain = bytes(0.2f, 0.6f, 0.8f);
    const Colour modulated = bytes(0.2f, 0.0f, 0.0f);

    const int numbers[4] = {7, -1, 0, 2};
    std::vector<TestGroup> groups;
    for (int i = 0; i < 4; ++i)
        groups.push_back(rectGroup(1, slot(i), numbers[i]));
    // The one number inside the list draws its image, so the images above could be seen.
    groups.push_back(rectGroup(1, slot(4), 1));
    setGroups(groups);

    renderScene();
    for (int i = 0; i < 4; ++i)
        expectColour(centreOf(slot(i)), plain, "texture " + std::to_string(numbers[i]));
    expectColour(centreOf(slot(4)), modulated, "texture 1");
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << "texturing left on after the pass";
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(meshScene.groups[i].texture, i < 4 ? numbers[i] : 1);
}

TEST_F(DrawPassTest, TexturingIsOffAfterThePass) {
    makeTexture(1, {90, 200, 30});
    meshScene.textureCount = 1;
    setGroups({rectGroup(0, {-2, -2, 2, 2}, 1)});
    glEnable(GL_TEXTURE_2D);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
    renderScene();
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLint hint = 0;
    glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &hint);
    EXPECT_EQ(hint, GL_NICEST) << "perspective hint after a textured group";
    expectColour(centreOf({-2, -2, 2, 2}), {90, 200, 30}, "textured group");
}

TEST_F(DrawPassTest, BlendFunctionIsSetByEveryFrame) {
    glBlendFunc(GL_ONE, GL_ZERO);
    renderScene();
    GLint source = 0, destination = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_EQ(source, GL_SRC_ALPHA);
    EXPECT_EQ(destination, GL_ONE_MINUS_SRC_ALPHA);

    glBlendFunc(GL_DST_COLOR, GL_ONE);
    setGroups({rectGroup(0, {-2, -2, 2, 2})});
    renderScene();
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_EQ(source, GL_SRC_ALPHA);
    EXPECT_EQ(destination, GL_ONE_MINUS_SRC_ALPHA);
}

TEST_F(DrawPassTest, ModelviewIsTheCameraAlone) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(4, 5, 6);
    renderScene();
    // Eye at (-10, 0, 0) looking along +X with +Z up: world (x, y, z) -> eye (-y, z, -x - 10).
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    const GLfloat expected[16] = {0, 0, -1, 0, -1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -10, 1};
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(m[i], expected[i], 1e-5) << "modelview entry " << i;
}

TEST_F(DrawPassTest, TrianglesWithCornersOutsideTheGroupAreSkipped) {
    setMaterials({material(0.3f, 0.7f, 0.5f)});
    const Colour green = bytes(0.3f, 0.7f, 0.5f);
    // Four rectangles in one group; the two in the middle get one bad corner each.
    TestGroup good;
    good.material = 1;
    for (int i = 0; i < 4; ++i)
        addRect(good, slot(i));
    TestGroup bad = good;
    const int vertexCount = static_cast<int>(bad.vertices.size());
    bad.triangles[2].indices[1] = -1;
    bad.triangles[4].indices[2] = vertexCount;
    bad.triangles[5].indices[0] = vertexCount + 1000;
    bad.triangles[3].indices[0] = -2147483647 - 1;

    // What the good triangles alone draw.
    TestGroup reference = good;
    reference.triangles = {good.triangles[0], good.triangles[1], good.triangles[6],
                           good.triangles[7]};
    setGroups({reference});
    renderScene();
    std::vector<unsigned char> expected = frame();
    ASSERT_GT(litPixels(expected), 100);

    setGroups({bad});
    renderScene();
    std::vector<unsigned char> drawn = frame();
    EXPECT_TRUE(drawn == expected)
        << "the frame differs from the good triangles alone: " << litPixels(drawn)
        << " lit pixels instead of " << litPixels(expected);
    expectColour(centreOf(slot(0)), green, "good rectangle before the bad triangles");
    expectColour(centreOf(slot(3)), green, "good rectangle after the bad triangles");
    expectColour(centreOf(slot(1)), black, "rectangle with bad corners");
    expectColour(centreOf(slot(2)), black, "rectangle with bad corners");
}

TEST_F(DrawPassTest, GroupWithoutVerticesDrawsNothingAndTheNextGroupStillDraws) {
    TestGroup empty;
    empty.material = 0;
    empty.triangles = {{{0, 1, 2}}, {{0, 0, 0}}};
    setGroups({empty, rectGroup(0, slot(2))});
    ASSERT_EQ(meshScene.groups[0].vertexCount, 0);
    ASSERT_EQ(meshScene.groups[0].vertices.get(), nullptr);
    renderScene();
    expectColour(centreOf(slot(2)), white, "group after the one without vertices");
    std::vector<unsigned char> withEmpty = frame();
    setGroups({rectGroup(0, slot(2))});
    renderScene();
    EXPECT_TRUE(withEmpty == frame());
}

TEST_F(DrawPassTest, EmptySceneClearsToBlack) {
    glClearColor(0.5f, 0.7f, 0.9f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 0, 0);
    renderScene();
    EXPECT_EQ(litPixels(frame()), 0);

    // The depth buffer is cleared too: a far rectangle drawn after a near one in an earlier
    // frame is still seen.
    setGroups({rectGroup(0, {-3, -3, 3, 3, -5})});
    renderScene();
    setGroups({rectGroup(0, {-1, -1, 1, 1, 5})});
    renderScene();
    expectColour(windowPoint(0, 0), white, "far rectangle after a near one was cleared");
    EXPECT_LT(litPixels(frame()), side * side / 8);

    setGroups({});
    renderScene();
    EXPECT_EQ(litPixels(frame()), 0);
}

} // namespace
