#include "render/status_line.h"

#include "render/status_font.h"

#include <GL/gl.h>

namespace {

// Pixels between the band's edges and the glyphs' cells, and from the left edge to the text.
constexpr int bandPadding = 3;
constexpr int textLeft = 6;
constexpr int bandHeight = statusFontHeight + 2 * bandPadding;
// The picture shows through the band a little, so it does not hide what lies under it.
constexpr GLfloat bandColour[4] = {0.0f, 0.0f, 0.0f, 0.75f};
constexpr GLfloat textColour[4] = {0.95f, 0.95f, 0.95f, 1.0f};

const GLubyte* glyphOf(char c) {
    if (c < statusFontFirst || c > statusFontLast) c = '?';
    return statusFont[c - statusFontFirst];
}

// Sets only what the band and the bitmaps depend on; leavePixelState gives all of it back, and
// the matrices too.
void enterPixelState(int width, int height) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_FOG);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_SCISSOR_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glViewport(0, 0, width, height);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
    // One unit a pixel, the origin at the bottom left corner.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width, 0, height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void leavePixelState() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopClientAttrib();
    glPopAttrib();
}

} // namespace

void drawStatusLine(const char* text, int width, int height) {
    if (!text || !*text || width <= 0 || height <= 0) return;
    enterPixelState(width, height);
    glColor4fv(bandColour);
    glRecti(0, 0, width, bandHeight);
    // The raster position takes the colour that is current when it is set.
    glColor4fv(textColour);
    glRasterPos2i(textLeft, bandPadding);
    for (const char* c = text; *c && textLeft + (c - text) * statusFontWidth < width; ++c)
        glBitmap(statusFontWidth, statusFontHeight, 0, 0, statusFontWidth, 0, glyphOf(*c));
    leavePixelState();
}
