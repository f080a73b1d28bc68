// Fit and reset: the whole model framed and centred in a window of either shape, turning about
// its centre afterwards, and the start-up picture given back exactly.
#include "platform/headless/egl_context.h"
#include "render/draw_pass.h"
#include "render/view_fit.h"
#include "render/viewport.h"
#include "tests/gl/key_frames.h"
#include "tests/support/scene_reset.h"

#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

class ViewFitTest : public ::testing::Test {
  protected:
    void TearDown() override {
        resetView();
        resetMeshScene();
    }
    // The viewer after a resize to width × height: the projection has the window's aspect.
    void open(int w, int h) {
        ASSERT_TRUE(context.create(w, h)) << "no headless GL context (EGL, Mesa)";
        setupScene();
        resizeViewport(w, h);
        width = w;
        height = h;
    }
    Frame frame() const {
        renderScene();
        return readFrame(width, height);
    }
    // The model's picture keeps the framing's margin, a twentieth of the window on each side
    // (less a pixel for rounding), and spans at least `least` of the side it fills more.
    void expectFramed(const Frame& f, double least) const {
        const LitBox box = litBox(f);
        ASSERT_FALSE(box.empty());
        EXPECT_GE(box.left, width / 20 - 1);
        EXPECT_LE(box.right, width - width / 20);
        EXPECT_GE(box.bottom, height / 20 - 1);
        EXPECT_LE(box.top, height - height / 20);
        const double share = std::max(double(box.width()) / width, double(box.height()) / height);
        EXPECT_GE(share, least) << "columns " << box.left << " to " << box.right << ", rows "
                                << box.bottom << " to " << box.top;
    }
    // Where the last frame put a point of the file, against the window's centre.
    void expectAtCentre(const float (&file)[3], const std::string& what) const {
        double modelview[16], projection[16], x, y, z;
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        gluProject(file[0], file[2], file[1], modelview, projection, viewport, &x, &y, &z);
        EXPECT_NEAR(x, width / 2.0, 0.5) << what;
        EXPECT_NEAR(y, height / 2.0, 0.5) << what;
    }

    HeadlessGLContext context;
    int width = 0, height = 0;
};

TEST_F(ViewFitTest, FitFramesTheModelAndTurnsAboutItsCentreResetGivesTheStartBack) {
    struct Case {
        std::string what;
        const char* sample;
        float shift[3]; // added to every vertex of the file
        float rotationY, rotationZ;
        int width, height;
        double least; // of the window the model's picture spans after the fit
    };
    // Both models are symmetric about their centre, the file's origin shifted.
    const std::vector<Case> cases = {
        // Behind the eye at the start; seen square on, the cube is its own box.
        {"small cube far off, wide window", "cube.msh", {-500, -300, 200}, 0, 0, 160, 100, 0.88},
        {"small cube far off, tall window", "cube.msh", {-500, -300, 200}, 0, 0, 100, 160, 0.88},
        {"torus turned", "torus.msh", {0, 0, 0}, 30, -40, 160, 100, 0.5},
        {"torus turned and far off", "torus.msh", {-300, 80, 150}, -20, 70, 100, 160, 0.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        open(c.width, c.height);
        ASSERT_TRUE(loadSample(c.sample));
        for (int g = 0; g < meshScene.groupCount; ++g)
            for (int v = 0; v < meshScene.groups[g].vertexCount; ++v) {
                MeshVertex& vertex = meshScene.groups[g].vertices[v];
                vertex.x += c.shift[0];
                vertex.y += c.shift[1];
                vertex.z += c.shift[2];
            }
        resetView();
        const Frame start = frame();
        if (c.shift[0] < -100) {
            EXPECT_TRUE(litBox(start).empty()) << "in view before the fit";
        }
        meshScene.rotationY = c.rotationY;
        meshScene.rotationZ = c.rotationZ;
        ASSERT_TRUE(fitView(c.width, c.height));
        expectFramed(frame(), c.least);
        expectAtCentre(c.shift, "fitted");
        meshScene.rotationY += 15;
        meshScene.rotationZ += 45;
        frame();
        expectAtCentre(c.shift, "turned after the fit");
        resetView();
        double centre[3];
        EXPECT_FALSE(fittedCentre(centre));
        EXPECT_EQ(frame(), start) << "reset after the fit";
    }
}

TEST_F(ViewFitTest, NothingToFrameLeavesTheViewAsItWas) {
    open(160, 100);
    meshScene.rotationZ = 12;
    meshScene.setDistance(7);
    EXPECT_FALSE(fitView(160, 100)) << "no mesh";
    ASSERT_TRUE(loadSample("cube.msh"));
    EXPECT_FALSE(fitView(0, 100)) << "a window without width";
    for (int g = 0; g < meshScene.groupCount; ++g)
        meshScene.groups[g].triangleCount = 0;
    EXPECT_FALSE(fitView(160, 100)) << "no triangle";
    double centre[3];
    EXPECT_FALSE(fittedCentre(centre));
    EXPECT_EQ(meshScene.rotationZ, 12);
    EXPECT_EQ(meshScene.cameraDistance, 7);
}

} // namespace
