// The headlight: off, exactly the unshaded picture and state; on, a surface's colour follows its
// normal's angle to the eye, stored or, where none is stored, its triangle's.
#include "render/shading.h"
#include "tests/gl/key_frames.h"
#include "tests/support/gl_pixels.h"

#include <cmath>
#include <vector>

namespace {

class ShadingTest : public StartUpFrameTest {
  protected:
    void TearDown() override {
        setShading(false);
        StartUpFrameTest::TearDown();
    }
    static Frame frame() {
        renderScene();
        return readFrame(side, side);
    }
};

// Every lighting value that setShading sets.
std::vector<float> lightingState() {
    std::vector<float> state(21);
    state[0] = glIsEnabled(GL_LIGHT0);
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, &state[1]);
    const GLenum parameters[4] = {GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR, GL_POSITION};
    for (int i = 0; i < 4; ++i)
        glGetLightfv(GL_LIGHT0, parameters[i], &state[5 + 4 * i]);
    return state;
}

TEST_F(ShadingTest, OffAgainIsTheUnshadedPictureBitForBit) {
    for (const char* sample : {"cube.msh", "torus.msh", "hull.msh"}) {
        SCOPED_TRACE(sample);
        ASSERT_TRUE(loadSample(sample));
        meshScene.rotationY = 25;
        meshScene.rotationZ = -30;
        const std::vector<float> unshadedState = lightingState();
        const Frame unshaded = frame();
        setShading(true);
        EXPECT_NE(frame(), unshaded) << "the headlight changed nothing";
        setShading(false);
        EXPECT_EQ(lightingState(), unshadedState);
        EXPECT_EQ(frame(), unshaded);
    }
}

TEST_F(ShadingTest, ShadedTorusShowsItsFormWithOrWithoutNormals) {
    ASSERT_TRUE(loadSample("torus.msh"));
    meshScene.rotationY = 40;
    const int unshadedColours = distinctColours(frame());
    setShading(true);
    const int shadedColours = distinctColours(frame());
    EXPECT_GT(shadedColours, 2 * unshadedColours + 100);
    for (int g = 0; g < meshScene.groupCount; ++g)
        for (int v = 0; v < meshScene.groups[g].vertexCount; ++v)
            meshScene.groups[g].vertices[v].nx = meshScene.groups[g].vertices[v].ny =
                meshScene.groups[g].vertices[v].nz = 0;
    EXPECT_GT(distinctColours(frame()), shadedColours / 2) << "normals cleared";
}

TEST_F(ShadingTest, ColourIsAShareOfDiffuseByTheNormalsAngleToTheEyePlusAShareOfAmbient) {
    setMaterials({{{}, {0.8f, 0.6f, 0.4f, 1}, {0.4f, 0.4f, 0.4f, 1}, {1, 1, 1, 1}, 10, {}}});
    const float c80 = std::cos(80 * std::acos(-1.0f) / 180),
                s80 = std::sin(80 * std::acos(-1.0f) / 180);
    struct Case {
        float turn; // the model's, about the vertical
        Point3 normal;
        float lit; // the share of the diffuse colour
    } const cases[] = {{0, {-1, 0, 0}, 1}, {0, {-c80, 0, s80}, c80}, {0, {1, 0, 0}, 0},
                       {0, {0, 0, 0}, 1},  {60, {0, 0, 0}, 0.5f},    {-60, {0, 0, 0}, 0.5f}};
    setShading(true);
    for (const Case& c : cases) {
        TestGroup square;
        square.material = 1;
        addRect(square, {-3, -3, 3, 3}, c.normal);
        setGroups({square});
        meshScene.rotationZ = c.turn;
        renderScene();
        expectColour({side / 2, side / 2},
                     bytes(0.56f * c.lit + 0.12f, 0.42f * c.lit + 0.12f, 0.28f * c.lit + 0.12f),
                     "turned " + std::to_string(c.turn) + ", share " + std::to_string(c.lit));
    }
}

} // namespace
