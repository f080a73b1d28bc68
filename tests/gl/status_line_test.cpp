// The status line: drawn in a band at the bottom only, light on dark, readable bytes for any
// text, and the GL state left so that the next frame is drawn exactly as before.
#include "render/shading.h"
#include "render/status_line.h"
#include "tests/gl/key_frames.h"
#include "tests/support/gl_pixels.h"

#include <string>
#include <vector>

namespace {

class StatusLineTest : public StartUpFrameTest {
  protected:
    void TearDown() override {
        setShading(false);
        StartUpFrameTest::TearDown();
    }
    static Frame frame() {
        renderScene();
        return readFrame(side, side);
    }
    static Frame withStatus(const char* text) {
        renderScene();
        drawStatusLine(text, side, side);
        return readFrame(side, side);
    }
};

TEST_F(StatusLineTest, DrawsLightTextOnADarkBandAtTheBottomOnly) {
    // The default material, white, over the whole picture.
    setGroups({rectGroup(0, {-20, -20, 20, 20})});
    const Frame plain = frame();
    const Frame status = withStatus("Saved ~/Pictures/Korvalin/torus-1.png |{}");
    int top = -1, light = 0, dark = 0;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            if (std::equal(status.at(x, y), status.at(x, y) + 3, plain.at(x, y))) continue;
            top = std::max(top, y);
            const int level = status.at(x, y)[0] + status.at(x, y)[1] + status.at(x, y)[2];
            (level > 3 * 200 ? light : dark) += 1;
        }
    // Text 13 rows high with some room around it, and text and band both there.
    EXPECT_GE(top, 13);
    EXPECT_LT(top, 24);
    for (int x = 0; x < side; ++x)
        EXPECT_LT(status.at(x, 0)[0], 128) << "column " << x << " of the bottom row is not dark";
    EXPECT_GT(light, 100);
    EXPECT_GT(dark, light);

    EXPECT_EQ(withStatus(""), plain);
    EXPECT_EQ(withStatus("\xc3\xa9\n"), withStatus("???")) << "bytes outside ASCII";
    EXPECT_NE(withStatus("A"), withStatus("?"));
}

// What renderScene starts again from and so would not show: the matrix mode and the stacks.
std::vector<GLint> stacks() {
    std::vector<GLint> values;
    for (GLenum name : {GL_MATRIX_MODE, GL_MODELVIEW_STACK_DEPTH, GL_PROJECTION_STACK_DEPTH,
                        GL_ATTRIB_STACK_DEPTH, GL_CLIENT_ATTRIB_STACK_DEPTH}) {
        GLint value = 0;
        glGetIntegerv(name, &value);
        values.push_back(value);
    }
    return values;
}

TEST_F(StatusLineTest, NextFrameIsDrawnAsBefore) {
    ASSERT_TRUE(loadSample("torus.msh"));
    meshScene.rotationY = 30;
    for (bool shaded : {false, true}) {
        SCOPED_TRACE(shaded ? "shaded" : "unshaded");
        setShading(shaded);
        const Frame before = frame();
        const std::vector<GLint> stacksBefore = stacks();
        withStatus("shading on");
        EXPECT_EQ(stacks(), stacksBefore);
        EXPECT_EQ(frame(), before);
    }
}

} // namespace
