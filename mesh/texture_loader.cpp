#include "mesh/texture_loader.h"

#include "mesh/image_decoder.h"

#include <GL/gl.h>
#include <IL/il.h>

namespace {

// Images come from other people's folders: the image library reads them in a helper process,
// one for each texture list.
ImageDecoder decoder;
TextureContextHook contextHook = nullptr;

void upload(const DecodedImage& image, GLuint textureName) {
    glBindTexture(GL_TEXTURE_2D, textureName);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    // One level only: the linear minification filter needs no mipmaps.
    glTexImage2D(GL_TEXTURE_2D, 0, 4, static_cast<GLsizei>(image.width),
                 static_cast<GLsizei>(image.height), 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 image.pixels.data());
}

unsigned maxTextureSide() {
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    return maxSide > 0 ? static_cast<unsigned>(maxSide) : 0;
}

} // namespace

bool loadTexture(const char* imagePath, unsigned textureName) {
    if (ilGetInteger(IL_VERSION_NUM) < minimumImageLibraryVersion) return false;
    DecodedImage image;
    const unsigned maxSide = maxTextureSide();
    bool decoded = maxSide > 0 && decoder.decode(imagePath, maxSide, image);
    decoder.end();
    if (decoded) upload(image, textureName);
    return decoded;
}

void setTextureContextHook(TextureContextHook hook) {
    contextHook = hook;
}

void loadTextures(const std::vector<std::string>& imagePaths, const std::vector<unsigned>& names) {
    if (contextHook && !contextHook()) return;
    const unsigned maxSide = maxTextureSide();
    // Without a current context (no size limit to read) no image could be kept: none is decoded.
    if (ilGetInteger(IL_VERSION_NUM) < minimumImageLibraryVersion || maxSide == 0) return;
    decoder.decodeAll(imagePaths, maxSide,
                      [&](std::size_t index, DecodedImage& image) { upload(image, names[index]); });
    decoder.end();
}
