#include "render/shading.h"

#include <GL/gl.h>

namespace {

bool shading = false;

// Enough light without the headlight that faces turned away from it keep their colour in view.
constexpr GLfloat shadedAmbientShare = 0.3f;
// With the ambient share, a face turned to the eye shows about its own colour instead of a
// washed-out one: a white model keeps its form where it faces the viewer.
constexpr GLfloat headlightShare = 1.0f - shadedAmbientShare;

} // namespace

void setShading(bool on) {
    // setupScene's ambient and GL_LIGHT0's initial values, to which "off" returns.
    const GLfloat fullAmbient[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat shadedAmbient[4] = {shadedAmbientShare, shadedAmbientShare, shadedAmbientShare,
                                      1.0f};
    const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat headlight[4] = {headlightShare, headlightShare, headlightShare, 1.0f};
    const GLfloat none[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    // Directional, along the eye's view axis: given with an identity modelview, the position is
    // in eye coordinates and the light turns with the eye.
    const GLfloat towardsTheEye[4] = {0.0f, 0.0f, 1.0f, 0.0f};

    GLint matrixMode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glLightfv(GL_LIGHT0, GL_POSITION, towardsTheEye);
    glPopMatrix();
    glMatrixMode(static_cast<GLenum>(matrixMode));

    glLightfv(GL_LIGHT0, GL_AMBIENT, none);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, on ? headlight : white);
    // Diffuse light only, so that a surface shows its material's own colour; off gives back the
    // light's initial specular white.
    glLightfv(GL_LIGHT0, GL_SPECULAR, on ? none : white);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, on ? shadedAmbient : fullAmbient);
    if (on)
        glEnable(GL_LIGHT0);
    else
        glDisable(GL_LIGHT0);
    shading = on;
}

bool shadingOn() {
    return shading;
}
