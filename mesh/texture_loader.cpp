#include "mesh/texture_loader.h"

#include "mesh/image_decoder.h"

#include <GL/gl.h>
#include <IL/il.h>

namespace {

void upload(const RgbaImage& image, GLuint textureName) {
    glBindTexture(GL_TEXTURE_2D, textureName);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    // One level only: the linear minification filter needs no mipmaps.
    glTexImage2D(GL_TEXTURE_2D, 0, 4, static_cast<GLsizei>(image.width),
                 static_cast<GLsizei>(image.height), 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 image.pixels.data());
}

} // namespace

bool loadTexture(const char* imagePath, unsigned textureName) {
    if (ilGetInteger(IL_VERSION_NUM) < minimumImageLibraryVersion) return false;
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    RgbaImage image;
    // Images come from other people's folders: the image library reads them in a helper.
    if (maxSide <= 0 || !decodeImageIsolated(imagePath, static_cast<unsigned>(maxSide), image))
        return false;
    upload(image, textureName);
    return true;
}
