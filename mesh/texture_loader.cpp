#include "mesh/texture_loader.h"

#include <GL/gl.h>
#include <IL/il.h>

namespace {

// Reads the file into the bound image as four bytes per pixel.
bool loadRgbaImage(const char* imagePath) {
    return ilLoadImage(imagePath) && ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE);
}

void uploadBoundImage(GLuint textureName) {
    glBindTexture(GL_TEXTURE_2D, textureName);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    // One level only: the linear minification filter needs no mipmaps.
    glTexImage2D(GL_TEXTURE_2D, 0, ilGetInteger(IL_IMAGE_BPP), ilGetInteger(IL_IMAGE_WIDTH),
                 ilGetInteger(IL_IMAGE_HEIGHT), 0, ilGetInteger(IL_IMAGE_FORMAT), GL_UNSIGNED_BYTE,
                 ilGetData());
}

} // namespace

bool loadTexture(const char* imagePath, unsigned textureName) {
    if (ilGetInteger(IL_VERSION_NUM) < minimumImageLibraryVersion) return false;
    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    bool loaded = loadRgbaImage(imagePath);
    if (loaded) uploadBoundImage(textureName);
    ilDeleteImages(1, &image);
    return loaded;
}
