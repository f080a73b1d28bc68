// Fit and reset: the model framed about its centre in a window of either shape, turning about
// that centre afterwards, and the start-up picture given back exactly.
#include "platform/headless/egl_context.h"
#include "render/draw_pass.h"
#include "render/view_fit.h"
#include "render/viewport.h"
#include "tests/gl/key_frames.h"
#include "tests/support/scene_reset.h"

#include <GL/glu.h>
#include <gtest/gtest.h>

namespace {

// Where the last frame put a point of the file, against the centre of a width × height window.
void expectAtCentre(const float (&file)[3], int width, int height) {
    double modelview[16], projection[16], x, y, z;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluProject(file[0], file[2], file[1], modelview, projection, viewport, &x, &y, &z);
    EXPECT_NEAR(x, width / 2.0, 0.5);
    EXPECT_NEAR(y, height / 2.0, 0.5);
}

class ViewFit : public ::testing::Test {
  protected:
    void TearDown() override {
        resetView();
        resetMeshScene();
    }
};

TEST_F(ViewFit, FramesTheModelTurnsAboutItsCentreAndResetGivesTheStartBack) {
    struct Case {
        const char* sample; // symmetric about the file's origin, which is moved to `centre`
        float centre[3], rotationY, rotationZ;
        int width, height;
        double least; // of the window the model spans, along the side it fills more
    } const cases[] = {
        // Behind the eye at the start; seen square on, the cube is its own box.
        {"cube.msh", {-500, -300, 200}, 0, 0, 160, 100, 0.88},
        {"cube.msh", {-500, -300, 200}, 0, 0, 100, 160, 0.88},
        {"torus.msh", {0, 0, 0}, 30, -40, 160, 100, 0.5},
        {"torus.msh", {-300, 80, 150}, -20, 70, 100, 160, 0.5},
    };
    HeadlessGLContext context;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.sample) + " at " + std::to_string(c.centre[0]));
        ASSERT_TRUE(context.create(c.width, c.height)) << "no headless GL context (EGL, Mesa)";
        setupScene();
        resizeViewport(c.width, c.height);
        ASSERT_TRUE(loadSample(c.sample));
        for (int g = 0; g < meshScene.groupCount; ++g)
            for (int v = 0; v < meshScene.groups[g].vertexCount; ++v) {
                MeshVertex& vertex = meshScene.groups[g].vertices[v];
                vertex.x += c.centre[0], vertex.y += c.centre[1], vertex.z += c.centre[2];
            }
        renderScene();
        const Frame start = readFrame(c.width, c.height);
        EXPECT_TRUE(c.centre[0] > -100 || litBox(start)[2] < 0) << "in view before the fit";
        meshScene.rotationY = c.rotationY;
        meshScene.rotationZ = c.rotationZ;
        ASSERT_TRUE(fitView(c.width, c.height));
        renderScene();
        expectAtCentre(c.centre, c.width, c.height);
        // Inside the framing's margin of a twentieth a side, less a pixel for rounding.
        const auto [left, bottom, right, top] = litBox(readFrame(c.width, c.height));
        EXPECT_TRUE(left >= c.width / 20 - 1 && right <= c.width - c.width / 20) << left << right;
        EXPECT_TRUE(bottom >= c.height / 20 - 1 && top <= c.height - c.height / 20)
            << bottom << top;
        EXPECT_GE(std::max(double(right - left + 1) / c.width, double(top - bottom + 1) / c.height),
                  c.least);
        meshScene.rotationY += 15;
        meshScene.rotationZ += 45;
        renderScene();
        expectAtCentre(c.centre, c.width, c.height);
        resetView();
        renderScene();
        EXPECT_EQ(readFrame(c.width, c.height), start);
        resetMeshScene();
    }
}

TEST_F(ViewFit, NothingToFrameLeavesTheViewAsItWas) {
    resetMeshScene();
    meshScene.rotationZ = 12;
    EXPECT_FALSE(fitView(160, 100));
    double centre[3];
    EXPECT_FALSE(fittedCentre(centre));
    EXPECT_EQ(meshScene.rotationZ, 12);
    EXPECT_EQ(meshScene.cameraDistance, 10);
}

} // namespace
