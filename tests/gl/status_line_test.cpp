// The status line: light text on a dark band at the bottom only, any byte drawn, and the GL state
// left so that the next frame is drawn exactly as before, shaded or not.
#include "render/shading.h"
#include "render/status_line.h"
#include "tests/gl/key_frames.h"
#include "tests/support/gl_pixels.h"

namespace {

class StatusLineTest : public StartUpFrameTest {
  protected:
    void TearDown() override {
        setShading(false);
        StartUpFrameTest::TearDown();
    }
    static Frame frame(const char* status = nullptr) {
        renderScene();
        if (status) drawStatusLine(status, side, side);
        return readFrame(side, side);
    }
    // What renderScene starts again from, and so would not show.
    static std::vector<GLint> stacks() {
        std::vector<GLint> values;
        for (GLenum name : {GL_MATRIX_MODE, GL_MODELVIEW_STACK_DEPTH, GL_PROJECTION_STACK_DEPTH,
                            GL_ATTRIB_STACK_DEPTH, GL_CLIENT_ATTRIB_STACK_DEPTH}) {
            values.push_back(0);
            glGetIntegerv(name, &values.back());
        }
        return values;
    }
};

TEST_F(StatusLineTest, LightTextOnADarkBandAtTheBottomAndTheNextFrameAsBefore) {
    setGroups({rectGroup(0, {-20, -20, 20, 20})}); // white over the whole picture
    for (bool shaded : {false, true}) {
        SCOPED_TRACE(shaded ? "shaded" : "unshaded");
        setShading(shaded);
        const Frame plain = frame();
        const std::vector<GLint> stacksBefore = stacks();
        const Frame status = frame("Saved ~/Pictures/Korvalin/torus-1.png |{}");
        EXPECT_EQ(stacks(), stacksBefore);
        EXPECT_EQ(frame(), plain);
        int top = -1, light = 0, dark = 0;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                if (!std::equal(status.at(x, y), status.at(x, y) + 3, plain.at(x, y))) {
                    top = y;
                    ++(status.at(x, y)[0] > 200 ? light : dark);
                }
        EXPECT_TRUE(top >= 13 && top < 24) << "the band's top row " << top; // a 13-row font
        EXPECT_GT(light, 100);
        EXPECT_GT(dark, light);
    }
    EXPECT_EQ(frame(""), frame());
    EXPECT_EQ(frame("\xc3\xa9\n"), frame("???")) << "bytes outside ASCII";
    EXPECT_NE(frame("A"), frame("?"));
}

} // namespace
