// The headlight: off, exactly the unshaded picture and state; on, a surface's colour follows its
// normal's angle to the eye, stored or, where none is stored, its triangle's.
#include "render/shading.h"
#include "tests/gl/key_frames.h"
#include "tests/support/gl_pixels.h"

#include <cmath>
#include <string>
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

// Every lighting value that setShading touches, as the GL reports it.
std::vector<float> lightingState() {
    std::vector<float> state{static_cast<float>(glIsEnabled(GL_LIGHT0))};
    float values[4];
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, values);
    state.insert(state.end(), values, values + 4);
    for (GLenum parameter : {GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR, GL_POSITION}) {
        glGetLightfv(GL_LIGHT0, parameter, values);
        state.insert(state.end(), values, values + 4);
    }
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
        EXPECT_TRUE(shadingOn());
        EXPECT_NE(frame(), unshaded) << "the headlight changed nothing";
        setShading(false);
        EXPECT_FALSE(shadingOn());
        EXPECT_EQ(lightingState(), unshadedState);
        EXPECT_EQ(frame(), unshaded);
    }
}

TEST_F(ShadingTest, ShadedTorusShowsItsFormWithOrWithoutNormals) {
    ASSERT_TRUE(loadSample("torus.msh"));
    meshScene.rotationY = 40;
    const int unshadedColours = distinctColours(frame());
    setShading(true);
    const int storedNormalColours = distinctColours(frame());
    EXPECT_GT(storedNormalColours, 2 * unshadedColours + 100);
    for (int g = 0; g < meshScene.groupCount; ++g)
        for (int v = 0; v < meshScene.groups[g].vertexCount; ++v) {
            MeshVertex& vertex = meshScene.groups[g].vertices[v];
            vertex.nx = vertex.ny = vertex.nz = 0;
        }
    EXPECT_GT(distinctColours(frame()), storedNormalColours / 2) << "normals cleared";
}

// A rectangle across the centre of the picture, turned about the vertical by degrees (its right
// side away from the eye), every corner with the given normal.
TestGroup turnedRect(float degrees, Point3 normal) {
    const double angle = degrees * std::acos(-1.0) / 180;
    const float across = static_cast<float>(std::cos(angle)),
                away = static_cast<float>(std::sin(angle));
    TestGroup group;
    group.material = 1;
    const float right[4] = {-3, 3, 3, -3}, up[4] = {3, 3, -3, -3};
    for (int k = 0; k < 4; ++k)
        group.vertices.push_back(vertexAt({right[k] * away, up[k], -right[k] * across}, normal));
    addTriangle(group, 0, 1, 2);
    addTriangle(group, 0, 2, 3);
    return group;
}

TEST_F(ShadingTest, ColourIsDiffuseByTheNormalsAngleToTheEyePlusAThirdOfTheAmbient) {
    MeshMaterial m;
    const float diffuse[4] = {0.8f, 0.6f, 0.4f, 1}, ambient[4] = {0.4f, 0.4f, 0.4f, 1},
                specular[4] = {1, 1, 1, 1};
    std::copy(diffuse, diffuse + 4, m.diffuse);
    std::copy(ambient, ambient + 4, m.ambient);
    std::copy(specular, specular + 4, m.specular);
    m.power = 10;
    setMaterials({m});
    const float cos80 = static_cast<float>(std::cos(80 * std::acos(-1.0) / 180));
    const float sin80 = static_cast<float>(std::sin(80 * std::acos(-1.0) / 180));
    struct Case {
        std::string what;
        float turn;
        Point3 normal;
        float lit; // the share of the diffuse colour
    };
    const std::vector<Case> cases = {
        {"facing the eye", 0, {-1, 0, 0}, 1},
        {"normal at 80 degrees", 0, {-cos80, 0, sin80}, cos80},
        {"normal away from the eye", 0, {1, 0, 0}, 0},
        {"no normal, facing the eye", 0, {0, 0, 0}, 1},
        {"no normal, turned 60 degrees", 60, {0, 0, 0}, 0.5f},
        {"no normal, turned -60 degrees", -60, {0, 0, 0}, 0.5f},
    };
    setShading(true);
    for (const Case& c : cases) {
        setGroups({turnedRect(c.turn, c.normal)});
        renderScene();
        expectColour({side / 2, side / 2},
                     bytes(c.lit * diffuse[0] + 0.3f * ambient[0],
                           c.lit * diffuse[1] + 0.3f * ambient[1],
                           c.lit * diffuse[2] + 0.3f * ambient[2]),
                     c.what);
    }
}

} // namespace
