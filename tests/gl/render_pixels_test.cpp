// What renderScene puts on the screen: colours, blending, depth, culling, axes, camera, far
// plane and textures, sampled from a real 128x128 frame.
#include "mesh/mesh_scene.h"
#include "mesh/texture_loader.h"
#include "render/draw_pass.h"
#include "render/viewport.h"
#include "tests/support/devil_image.h"
#include "tests/support/gl_pixels.h"
#include "tests/support/temp_folder.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

// A marker seen from any direction: three squares through the file point c across the three
// axes, each square in both windings.
void addMarker(TestGroup& group, Point3 c, float half) {
    for (int axis = 0; axis < 3; ++axis) {
        int first = static_cast<int>(group.vertices.size());
        const float a[4] = {-half, half, half, -half};
        const float b[4] = {-half, -half, half, half};
        for (int k = 0; k < 4; ++k) {
            float offset[3] = {0, 0, 0};
            offset[(axis + 1) % 3] = a[k];
            offset[(axis + 2) % 3] = b[k];
            group.vertices.push_back(vertexAt({c.x + offset[0], c.y + offset[1], c.z + offset[2]}));
        }
        addTriangle(group, first, first + 1, first + 2);
        addTriangle(group, first, first + 2, first + 3);
        addTriangle(group, first, first + 2, first + 1);
        addTriangle(group, first, first + 3, first + 2);
    }
}

// Ambient (and emission) make the colour; the diffuse colour and the specular part are set to
// other values, which no light may bring in. Alpha is the diffuse alpha.
MeshMaterial material(float r, float g, float b, float alpha = 1.0f, float er = 0, float eg = 0,
                      float eb = 0) {
    MeshMaterial m;
    const float diffuse[4] = {0.9f, 0.1f, 0.6f, alpha};
    const float ambient[4] = {r, g, b, 1.0f};
    const float specular[4] = {1.0f, 1.0f, 0.0f, 1.0f};
    const float emissive[4] = {er, eg, eb, 1.0f};
    for (int i = 0; i < 4; ++i) {
        m.diffuse[i] = diffuse[i];
        m.ambient[i] = ambient[i];
        m.specular[i] = specular[i];
        m.emissive[i] = emissive[i];
    }
    m.power = 10.0f;
    return m;
}

class RenderPixelsTest : public StartUpFrameTest {
  protected:
    // After a later resize the projection has the window's aspect (1 here) and far plane 1000.
    void resizeAgain() {
        resizeViewport(side, side);
        aspect = 1.0;
    }

    // Where a point lands: right and up on the screen and depth away from the plane through
    // the origin, as the eye at distance cameraDistance sees them (70 degrees vertically).
    Pixel windowPoint(double right, double up, double depth = 0) const {
        const double f = 1.0 / std::tan(35.0 * std::acos(-1.0) / 180.0);
        double eyeDistance = meshScene.cameraDistance + depth;
        double ndcX = right * f / (aspect * eyeDistance);
        double ndcY = up * f / eyeDistance;
        return {static_cast<int>(std::floor((ndcX + 1) / 2 * side)),
                static_cast<int>(std::floor((ndcY + 1) / 2 * side))};
    }

    // A point of the file at both angles 0: GL gets (x, z, y); the eye looks along GL +x with
    // GL +z up, so GL +y is to the left: right = -file z, up = file y, depth = file x.
    Pixel filePoint(Point3 file) const { return windowPoint(-file.z, file.y, file.x); }

    // How many pixels of row y are not black.
    static int litInRow(int y) {
        unsigned char rgba[side * 4];
        glReadPixels(0, y, side, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        int lit = 0;
        for (int x = 0; x < side; ++x)
            if (rgba[4 * x] || rgba[4 * x + 1] || rgba[4 * x + 2]) ++lit;
        return lit;
    }

    static int litPixels() {
        int lit = 0;
        for (int y = 0; y < side; ++y)
            lit += litInRow(y);
        return lit;
    }

    double aspect = 4.0 / 3.0;
};

TEST_F(RenderPixelsTest, DefaultMaterialIsOpaqueWhite) {
    setMaterials({material(0.9f, 0.1f, 0.1f)});
    // A red rectangle behind, then the default material in front of it: no red shows through.
    setGroups({rectGroup(1, {-4, -4, 4, 4, 2}), rectGroup(0, {-2, -2, 2, 2})});
    renderScene();
    expectColour(windowPoint(0, 0), white, "default material over red");
    expectColour(windowPoint(3.5, 0, 2), bytes(0.9f, 0.1f, 0.1f), "red around it");
    expectColour({2, 2}, black, "background");
}

TEST_F(RenderPixelsTest, ColourIsEmissionPlusAmbientClamped) {
    setMaterials({material(0.3f, 0.2f, 0.1f, 1, 0.1f, 0.1f, 0.1f),
                  material(0.8f, 0.2f, 0.6f, 1, 0.7f, 0.3f, 0.1f),
                  material(0.0f, 0.0f, 0.0f, 1, 0.25f, 0.5f, 0.75f)});
    const Rect left{-8, -3, -3, 3}, middle{-2, -3, 2, 3}, right{3, -3, 8, 3};
    setGroups({rectGroup(1, left), rectGroup(2, middle), rectGroup(3, right)});
    renderScene();
    expectColour(windowPoint(-5.5, 0), bytes(0.4f, 0.3f, 0.2f), "ambient + emission");
    expectColour(windowPoint(0, 0), bytes(1.0f, 0.5f, 0.7f), "sum clamped to 1");
    expectColour(windowPoint(5.5, 0), bytes(0.25f, 0.5f, 0.75f), "emission alone");
}

TEST_F(RenderPixelsTest, NormalsDoNotChangeTheColour) {
    setMaterials({material(0.3f, 0.5f, 0.7f)});
    const Point3 normals[4] = {{-1, 0, 0}, {1, 0, 0}, {0, 4, 0}, {0.3f, -2, 5}};
    std::vector<TestGroup> groups;
    for (int i = 0; i < 4; ++i) {
        TestGroup group;
        group.material = 1;
        float left = -8 + 4.2f * static_cast<float>(i);
        addRect(group, {left, -2, left + 3, 2}, normals[i]);
        groups.push_back(group);
    }
    setGroups(groups);
    renderScene();
    for (int i = 0; i < 4; ++i)
        expectColour(windowPoint(-6.5 + 4.2 * i, 0), bytes(0.3f, 0.5f, 0.7f),
                     "normal " + std::to_string(i));
}

TEST_F(RenderPixelsTest, TranslucentGroupBlendsOverEarlierAndHidesLaterBehindIt) {
    const float red[3] = {0.8f, 0.1f, 0.1f}, green[3] = {0.1f, 0.8f, 0.2f},
                blue[3] = {0.1f, 0.2f, 0.9f};
    setMaterials({material(red[0], red[1], red[2]), material(green[0], green[1], green[2], 0.5f),
                  material(blue[0], blue[1], blue[2])});
    // Red at the origin's plane on the left, then half-transparent green nearer across the
    // middle, then blue farther on the right, drawn last and partly behind the green.
    setGroups({rectGroup(1, {-6, -3, -1, 3, 0}), rectGroup(2, {-3, -2, 3, 2, -2}),
               rectGroup(3, {1, -3, 6, 3, 2})});
    renderScene();
    expectColour(
        windowPoint(-2, 0, 0),
        bytes(0.5f * (green[0] + red[0]), 0.5f * (green[1] + red[1]), 0.5f * (green[2] + red[2])),
        "green over red");
    expectColour(windowPoint(0, 0, -2), bytes(0.5f * green[0], 0.5f * green[1], 0.5f * green[2]),
                 "green over the background");
    expectColour(windowPoint(2.5, 0, 2), bytes(0.5f * green[0], 0.5f * green[1], 0.5f * green[2]),
                 "blue behind green, drawn after it");
    expectColour(windowPoint(5, 0, 2), bytes(blue[0], blue[1], blue[2]), "blue alone");
    expectColour(windowPoint(-5, 0, 0), bytes(red[0], red[1], red[2]), "red alone");
}

// Twice the signed area of the triangle in window coordinates (y up): below 0 is clockwise.
double windingOf(Pixel a, Pixel b, Pixel c) {
    return static_cast<double>(b.x - a.x) * (c.y - a.y) -
           static_cast<double>(c.x - a.x) * (b.y - a.y);
}

TEST_F(RenderPixelsTest, ClockwiseOnTheScreenIsTheFront) {
    setMaterials({material(0.2f, 0.9f, 0.3f), material(0.9f, 0.3f, 0.2f)});
    // Triangles in the file's own coordinates, left and right of the centre.
    const Point3 a[3] = {{0, 3, 6}, {0, 3, 1}, {0, -3, 3.5f}};
    const Point3 b[3] = {{0, 3, -1}, {0, 3, -6}, {0, -3, -3.5f}};
    TestGroup kept, culled;
    kept.material = 1;
    culled.material = 2;
    for (int k = 0; k < 3; ++k) {
        kept.vertices.push_back(vertexAt(a[k]));
        culled.vertices.push_back(vertexAt(b[k]));
    }
    addTriangle(kept, 0, 1, 2);
    addTriangle(culled, 0, 2, 1);
    // Check the construction against the rule before looking at the frame.
    ASSERT_LT(windingOf(filePoint(a[0]), filePoint(a[1]), filePoint(a[2])), 0);
    ASSERT_GT(windingOf(filePoint(b[0]), filePoint(b[2]), filePoint(b[1])), 0);
    setGroups({kept, culled});
    renderScene();
    Pixel keptCentre = filePoint({0, 1, 3.5f});
    Pixel culledCentre = filePoint({0, 1, -3.5f});
    ASSERT_LT(keptCentre.x, side / 2);
    expectColour(keptCentre, bytes(0.2f, 0.9f, 0.3f), "clockwise triangle");
    expectColour(culledCentre, black, "counter-clockwise triangle");

    // Turned half around the vertical axis, each triangle moves to the other side and is seen
    // from behind: now the second one is clockwise on the screen (on the left) and drawn.
    meshScene.rotationZ = 180;
    renderScene();
    expectColour(windowPoint(-3.5, 1), bytes(0.9f, 0.3f, 0.2f), "second triangle from behind");
    expectColour(windowPoint(3.5, 1), black, "first triangle from behind");
}

// Marker colours for the axis and camera scenes.
const Colour markerRed = bytes(1, 0, 0), markerGreen = bytes(0, 1, 0), markerBlue = bytes(0, 0, 1),
             markerYellow = bytes(1, 1, 0);

class AxesTest : public RenderPixelsTest {
  protected:
    // Red at file (0,0,3), green at file (3,0,0), blue at file (0,3,0).
    void setMarkers() {
        setMaterials({material(1, 0, 0), material(0, 1, 0), material(0, 0, 1), material(1, 1, 0)});
        TestGroup red, green, blue;
        red.material = 1;
        green.material = 2;
        blue.material = 3;
        addMarker(red, {0, 0, 3}, 0.6f);
        addMarker(green, {3, 0, 0}, 0.6f);
        addMarker(blue, {0, 3, 0}, 0.6f);
        setGroups({red, green, blue});
    }
    // Where a point of the GL world (after the camera's turns) lands: the eye looks along +x
    // with +z up, so right = -y.
    Pixel worldPoint(Point3 world) const { return windowPoint(-world.y, world.z, world.x); }
};

TEST_F(AxesTest, FileYIsUpFileZIsLeftFileXIsAway) {
    setMarkers();
    renderScene();
    expectColour(windowPoint(0, 3), markerBlue, "file +y: above the centre");
    expectColour(windowPoint(0, -3), black, "below the centre");
    expectColour(windowPoint(-3, 0), markerRed, "file +z: left of the centre");
    expectColour(windowPoint(3, 0), black, "right of the centre");
    expectColour(windowPoint(0, 0, 3), markerGreen, "file +x: straight ahead");

    // File x is depth: the nearer of two markers on the line of sight hides the other,
    // whichever is drawn first.
    for (bool nearFirst : {true, false}) {
        TestGroup nearMarker, farMarker;
        nearMarker.material = 4;
        farMarker.material = 2;
        addMarker(nearMarker, {-2, 0, 0}, 0.5f);
        addMarker(farMarker, {2, 0, 0}, 0.5f);
        setGroups(nearFirst ? std::vector<TestGroup>{nearMarker, farMarker}
                            : std::vector<TestGroup>{farMarker, nearMarker});
        renderScene();
        expectColour(windowPoint(0, 0), markerYellow,
                     nearFirst ? "near marker drawn first" : "near marker drawn last");
    }
}

TEST_F(AxesTest, RotationsTurnTheModelByTheRightHandRule) {
    setMarkers();
    // rotationZ = +90 about GL z: (x, y, z) -> (-y, x, z). Red GL (0,3,0) -> (-3,0,0): centre,
    // towards the eye; green GL (3,0,0) -> (0,3,0): left; blue GL (0,0,3) stays up.
    meshScene.rotationZ = 90;
    renderScene();
    expectColour(worldPoint({-3, 0, 0}), markerRed, "rotationZ 90, red");
    expectColour(worldPoint({0, 3, 0}), markerGreen, "rotationZ 90, green");
    expectColour(worldPoint({0, -3, 0}), black, "rotationZ 90, right of the centre");
    expectColour(worldPoint({0, 0, 3}), markerBlue, "rotationZ 90, blue");

    // rotationY = +90 about GL y: (x, y, z) -> (z, y, -x). Green GL (3,0,0) -> (0,0,-3): down;
    // blue (0,0,3) -> (3,0,0): centre, away; red stays left.
    meshScene.rotationZ = 0;
    meshScene.rotationY = 90;
    renderScene();
    expectColour(worldPoint({0, 0, -3}), markerGreen, "rotationY 90, green");
    expectColour(worldPoint({0, 0, 3}), black, "rotationY 90, above the centre");
    expectColour(worldPoint({3, 0, 0}), markerBlue, "rotationY 90, blue");
    expectColour(worldPoint({0, 3, 0}), markerRed, "rotationY 90, red");

    // Both: the model turns about z first, then about y. Red (0,3,0) -> (-3,0,0) -> (0,0,3): up;
    // green (3,0,0) -> (0,3,0) -> (0,3,0): left; blue (0,0,3) -> (0,0,3) -> (3,0,0): centre.
    meshScene.rotationZ = 90;
    renderScene();
    expectColour(worldPoint({0, 0, 3}), markerRed, "both 90, red");
    expectColour(worldPoint({0, 3, 0}), markerGreen, "both 90, green");
    expectColour(worldPoint({3, 0, 0}), markerBlue, "both 90, blue");

    // Negative angles turn the other way.
    meshScene.rotationY = 0;
    meshScene.rotationZ = -90;
    renderScene();
    expectColour(worldPoint({0, -3, 0}), markerGreen, "rotationZ -90, green");
    meshScene.rotationZ = 0;
    meshScene.rotationY = -90;
    renderScene();
    expectColour(worldPoint({0, 0, 3}), markerGreen, "rotationY -90, green");
}

TEST_F(RenderPixelsTest, LargerDistanceDrawsSmaller) {
    setGroups({rectGroup(0, {-1, -1, 1, 1})});
    const double f = 1.0 / std::tan(35.0 * std::acos(-1.0) / 180.0);
    int previous = side + 1;
    for (float distance : {5.0f, 10.0f, 20.0f}) {
        meshScene.cameraDistance = distance;
        renderScene();
        int width = litInRow(side / 2);
        // Two units wide at the eye's distance, squeezed by the start-up aspect.
        double expected = 2.0 * f / (aspect * distance) * side / 2;
        EXPECT_NEAR(width, expected, 2.0) << "distance " << distance;
        EXPECT_LT(width, previous) << "distance " << distance;
        previous = width;
    }
}

TEST_F(RenderPixelsTest, FarPlaneIs1000AtStartAndAfterAResize) {
    setGroups({rectGroup(0, {-40, -40, 40, 40})});
    for (bool resized : {false, true}) {
        SCOPED_TRACE(resized ? "after a resize" : "after setupScene");
        if (resized) resizeAgain();
        for (float distance : {150.0f, 995.0f}) {
            meshScene.cameraDistance = distance;
            renderScene();
            expectColour(windowPoint(0, 0), white, "in front of the far plane");
        }
        meshScene.cameraDistance = 1005;
        renderScene();
        EXPECT_EQ(litPixels(), 0) << "1005 away";
    }
}

// A 4x4 RGB image of four 2x2 blocks, each of its own colour, written by DevIL.
bool writeBlockImage(const std::string& path) {
    const unsigned char colours[4][3] = {
        {250, 40, 20}, {30, 220, 60}, {20, 80, 240}, {240, 230, 90}};
    ImagePixels image{4, 4, IL_RGB, std::vector<unsigned char>(4 * 4 * 3)};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            for (int c = 0; c < 3; ++c)
                image.bytes[(y * 4 + x) * 3 + c] = colours[(y / 2) * 2 + x / 2][c];
    return writeImageFile(path, image);
}

TEST_F(RenderPixelsTest, TexturedGroupShowsItsImageTimesTheMaterialColour) {
    TempFolder folder;
    std::string path = folder.file("blocks.png");
    ASSERT_TRUE(writeBlockImage(path)) << path;
    ASSERT_TRUE(loadTexture(path.c_str(), 1));
    meshScene.textureCount = 1;
    // The texels as GL holds them: row 0 is t = 0.
    unsigned char texels[4 * 4 * 4];
    glBindTexture(GL_TEXTURE_2D, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glBindTexture(GL_TEXTURE_2D, 0);

    const float tint[3] = {1.0f, 0.6f, 0.4f};
    setMaterials({material(tint[0], tint[1], tint[2]), material(0.3f, 0.5f, 0.9f)});
    const Rect picture{-7, -5, 1, 5};
    const Rect plain{3, -3, 7, 3};
    setGroups({rectGroup(1, picture, 1), rectGroup(2, plain)});
    renderScene();

    // Quarter centres of the rectangle; its texture coordinates run from 0 at the left and
    // bottom to 1 at the right and top.
    for (float u : {0.25f, 0.75f})
        for (float v : {0.25f, 0.75f}) {
            const unsigned char* texel =
                &texels[(static_cast<int>(v * 4) * 4 + static_cast<int>(u * 4)) * 4];
            Colour expected{static_cast<int>(std::lround(texel[0] * tint[0])),
                            static_cast<int>(std::lround(texel[1] * tint[1])),
                            static_cast<int>(std::lround(texel[2] * tint[2]))};
            double right = picture.left + u * (picture.right - picture.left);
            double up = picture.bottom + v * (picture.top - picture.bottom);
            expectColour(windowPoint(right, up), expected,
                         "texture at u " + std::to_string(u) + ", v " + std::to_string(v));
        }
    expectColour(windowPoint(5, 0), bytes(0.3f, 0.5f, 0.9f), "untextured group after it");
}

} // namespace
