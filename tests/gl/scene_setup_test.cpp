// setupScene and resizeViewport: the fixed GL state and the projections they leave, read back
// from a real context.
#include "render/viewport.h"
#include "tests/support/gl_test_context.h"

#include <EGL/egl.h>
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

namespace {

using Matrix = std::array<GLfloat, 16>;

constexpr double fieldOfView = 70.0;
constexpr double nearPlane = static_cast<double>(0.1f);

Matrix readMatrix(GLenum which) {
    Matrix m{};
    glGetFloatv(which, m.data());
    return m;
}

// What gluPerspective itself makes of these numbers, computed in the current context on an
// identity matrix. Leaves the projection matrix and the matrix mode as they were.
Matrix gluPerspectiveMatrix(double aspect, double farPlane) {
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(fieldOfView, aspect, nearPlane, farPlane);
    Matrix m = readMatrix(GL_PROJECTION_MATRIX);
    glPopMatrix();
    glMatrixMode(static_cast<GLenum>(mode));
    return m;
}

std::string describe(const Matrix& m) {
    std::string text;
    for (int i = 0; i < 16; ++i)
        text += (i % 4 == 0 ? (i ? " | " : "") : " ") + std::to_string(m[i]);
    return text;
}

void expectMatrix(const Matrix& actual, const Matrix& expected, const char* what) {
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-6 * (1.0 + std::fabs(expected[i])))
            << what << " entry " << i << "\n  actual   " << describe(actual) << "\n  expected "
            << describe(expected);
}

Matrix identity() {
    Matrix m{};
    m[0] = m[5] = m[10] = m[15] = 1.0f;
    return m;
}

// The entries the perspective formula gives, f = 1 / tan(fovy / 2).
void expectPerspectiveFormula(const Matrix& m, double aspect, double farPlane) {
    const double pi = std::acos(-1.0);
    double f = 1.0 / std::tan(fieldOfView / 2.0 * pi / 180.0);
    EXPECT_NEAR(m[0], f / aspect, 1e-5);
    EXPECT_NEAR(m[5], f, 1e-5);
    EXPECT_NEAR(m[10], (farPlane + nearPlane) / (nearPlane - farPlane), 1e-5);
    EXPECT_NEAR(m[11], -1.0, 1e-6);
    EXPECT_NEAR(m[14], 2.0 * farPlane * nearPlane / (nearPlane - farPlane), 1e-6);
    EXPECT_NEAR(m[15], 0.0, 1e-6);
}

std::array<GLint, 4> viewport() {
    std::array<GLint, 4> v{-1, -1, -1, -1};
    glGetIntegerv(GL_VIEWPORT, v.data());
    return v;
}

// Puts state in that setupScene has to overwrite, so that a missing call shows.
void disturbState() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-3, 5, -2, 7, 1, 9);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    glRotatef(30, 1, 0, 0);
    glMatrixMode(GL_TEXTURE);
    glFrontFace(GL_CCW);
    glShadeModel(GL_FLAT);
    const GLfloat dim[4] = {0.1f, 0.2f, 0.3f, 0.4f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, dim);
}

using SceneSetupTest = GLTest;

TEST_F(SceneSetupTest, SwitchesTheFixedStateOnAndLeavesTheRestAlone) {
    disturbState();
    // setupScene never touches the blend function: whatever was set stays.
    glBlendFunc(GL_ONE, GL_ONE);
    ASSERT_TRUE(setupScene());
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    for (GLenum on : {GL_DEPTH_TEST, GL_CULL_FACE, GL_LIGHTING, GL_BLEND, GL_NORMALIZE})
        EXPECT_TRUE(glIsEnabled(on)) << "capability 0x" << std::hex << on << " is off";
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLint lights = 0;
    glGetIntegerv(GL_MAX_LIGHTS, &lights);
    EXPECT_GE(lights, 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_FALSE(glIsEnabled(static_cast<GLenum>(GL_LIGHT0 + i))) << "light " << i << " is on";

    GLint value = 0;
    glGetIntegerv(GL_FRONT_FACE, &value);
    EXPECT_EQ(value, GL_CW);
    glGetIntegerv(GL_CULL_FACE_MODE, &value);
    EXPECT_EQ(value, GL_BACK);
    glGetIntegerv(GL_SHADE_MODEL, &value);
    EXPECT_EQ(value, GL_SMOOTH);
    glGetIntegerv(GL_MATRIX_MODE, &value);
    EXPECT_EQ(value, GL_MODELVIEW);
    expectMatrix(readMatrix(GL_MODELVIEW_MATRIX), identity(), "modelview after setupScene");

    GLfloat ambient[4] = {-1, -1, -1, -1};
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, ambient);
    for (int i = 0; i < 4; ++i)
        EXPECT_FLOAT_EQ(ambient[i], 1.0f) << "light-model ambient component " << i;

    GLint source = 0, destination = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_EQ(source, GL_ONE);
    EXPECT_EQ(destination, GL_ONE);
}

TEST_F(SceneSetupTest, StartUpProjectionIsFourThirdsWithFarPlane1000) {
    disturbState();
    setupScene();
    Matrix projection = readMatrix(GL_PROJECTION_MATRIX);
    expectMatrix(projection, gluPerspectiveMatrix(4.0 / 3.0, 1000.0), "start-up projection");
    expectPerspectiveFormula(projection, 4.0 / 3.0, 1000.0);
}

TEST_F(SceneSetupTest, ResizeSetsViewportAspectAndFarPlane1000) {
    setupScene();
    disturbState();
    resizeViewport(800, 600);
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 800, 600}));
    EXPECT_EQ(windowWidth, 800);
    EXPECT_EQ(windowHeight, 600);
    Matrix projection = readMatrix(GL_PROJECTION_MATRIX);
    expectMatrix(projection, gluPerspectiveMatrix(800.0 / 600.0, 1000.0), "projection at 800x600");
    expectPerspectiveFormula(projection, 800.0 / 600.0, 1000.0);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    expectMatrix(readMatrix(GL_MODELVIEW_MATRIX), identity(), "modelview after resize");

    // A tall, narrow window: the aspect follows the size, not a fixed value.
    resizeViewport(200, 500);
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 200, 500}));
    projection = readMatrix(GL_PROJECTION_MATRIX);
    expectMatrix(projection, gluPerspectiveMatrix(200.0 / 500.0, 1000.0), "projection at 200x500");
    expectPerspectiveFormula(projection, 200.0 / 500.0, 1000.0);
}

TEST_F(SceneSetupTest, ZeroHeightCountsAsOne) {
    setupScene();

    disturbState();
    resizeViewport(0, 0);
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 0, 1}));
    EXPECT_EQ(windowWidth, 0);
    EXPECT_EQ(windowHeight, 1);
    // The aspect 0 goes to gluPerspective as it is; whatever it makes of it is the projection.
    expectMatrix(readMatrix(GL_PROJECTION_MATRIX), gluPerspectiveMatrix(0.0, 1000.0),
                 "projection at 0x0");

    disturbState();
    resizeViewport(300, 0);
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 300, 1}));
    EXPECT_EQ(windowWidth, 300);
    EXPECT_EQ(windowHeight, 1);
    Matrix projection = readMatrix(GL_PROJECTION_MATRIX);
    expectMatrix(projection, gluPerspectiveMatrix(300.0, 1000.0), "projection at 300x0");
    expectPerspectiveFormula(projection, 300.0, 1000.0);
}

// No fixture: these run without a current GL context.
TEST(ResizeWithoutContextTest, RecordsTheSizeBeforeAnyContext) {
    ASSERT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);
    resizeViewport(321, 123);
    EXPECT_EQ(windowWidth, 321);
    EXPECT_EQ(windowHeight, 123);
    resizeViewport(55, 0);
    EXPECT_EQ(windowWidth, 55);
    EXPECT_EQ(windowHeight, 1);
}

TEST(ResizeWithoutContextTest, RecordsTheSizeAfterTheContextIsReleased) {
    {
        HeadlessGLContext context;
        ASSERT_TRUE(context.create(32, 32)) << "no headless GL context (EGL, Mesa)";
        resizeViewport(32, 32);
        EXPECT_EQ(windowWidth, 32);
    }
    ASSERT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);
    resizeViewport(777, 444);
    EXPECT_EQ(windowWidth, 777);
    EXPECT_EQ(windowHeight, 444);
}

} // namespace
