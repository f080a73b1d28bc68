#include "render/viewport.h"

#include <GL/gl.h>
#include <GL/glu.h>

int windowWidth = 640;
int windowHeight = 480;

namespace {
constexpr double startupAspect = 4.0 / 3.0;
// The same after a resize: a model seen from farther than 100 must not vanish.
constexpr double farPlane = 1000.0;

void loadProjection(double aspect) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(viewFieldOfView, aspect, viewNearPlane, farPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
} // namespace

bool setupScene() {
    loadProjection(startupAspect);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    // Clockwise faces are the front: the draw pass mirrors the model when it swaps two axes.
    glFrontFace(GL_CW);
    glEnable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glEnable(GL_NORMALIZE);
    // No light is ever enabled: a surface shows its material's emission plus ambient.
    const GLfloat fullAmbient[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, fullAmbient);
    glShadeModel(GL_SMOOTH);
    return true;
}

void resizeViewport(int width, int height) {
    if (height == 0) height = 1;
    glViewport(0, 0, width, height);
    loadProjection(static_cast<double>(width) / static_cast<double>(height));
    windowHeight = height;
    windowWidth = width;
}
