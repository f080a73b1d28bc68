#include "mesh/texture_loader.h"

#include "mesh/image_decoder.h"

#include <GL/gl.h>

namespace {

// Images come from other people's folders: they are decoded in a helper process.
ImageDecoder decoder;
TextureContextHook contextHook = nullptr;
int decodingMilliseconds = DecodeBudget{}.listMilliseconds;

// A GL that could not take the pixels (out of memory) leaves the name as a missing file does:
// without an image, so that no report calls it loaded.
bool upload(const DecodedImage& image, GLuint textureName) {
    while (glGetError() != GL_NO_ERROR) {
    }
    glBindTexture(GL_TEXTURE_2D, textureName);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    // One level only: the linear minification filter needs no mipmaps.
    glTexImage2D(GL_TEXTURE_2D, 0, 4, static_cast<GLsizei>(image.width),
                 static_cast<GLsizei>(image.height), 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 image.pixels.data());
    if (glGetError() == GL_NO_ERROR) return true;
    glDeleteTextures(1, &textureName);
    return false;
}

// Decoded textures of one mesh may take a quarter of the machine's memory: enough for dozens
// of 4096 x 4096 images, and never so much that a list naming one image ten thousand times
// exhausts the machine.
DecodeBudget textureBudget() {
    DecodeBudget budget;
    budget.listMilliseconds = decodingMilliseconds;
    const std::size_t memory = physicalMemoryBytes();
    if (memory > 0) budget.memoryBytes = memory / 4;
    return budget;
}

unsigned maxTextureSide() {
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    return maxSide > 0 ? static_cast<unsigned>(maxSide) : 0;
}

} // namespace

bool loadTexture(const char* imagePath, unsigned textureName) {
    if (!imageDecoderUsable()) return false;
    DecodedImage image;
    const unsigned maxSide = maxTextureSide();
    decoder.setBudget(textureBudget());
    bool decoded = maxSide > 0 && decoder.decode(imagePath, maxSide, image);
    decoder.rest();
    return decoded && image.pixels.size() <= textureBudget().memoryBytes &&
           upload(image, textureName);
}

void setTextureDecodingTime(int milliseconds) {
    decodingMilliseconds = milliseconds;
}

void setTextureContextHook(TextureContextHook hook) {
    contextHook = hook;
}

void loadTextures(const std::vector<std::string>& imagePaths, const std::vector<unsigned>& names) {
    if (contextHook && !contextHook()) return;
    const unsigned maxSide = maxTextureSide();
    // Without a current context (no size limit to read) no image could be kept: none is decoded.
    if (!imageDecoderUsable() || maxSide == 0) return;
    const DecodeBudget budget = textureBudget();
    std::size_t memoryLeft = budget.memoryBytes;
    decoder.setBudget(budget);
    // The decoder keeps to the memory budget where it can; decoding in the program cannot, so
    // it is checked once more before the upload.
    decoder.decodeAll(imagePaths, maxSide, [&](std::size_t index, DecodedImage& image) {
        if (image.pixels.size() > memoryLeft) return;
        memoryLeft -= image.pixels.size();
        upload(image, names[index]);
    });
    decoder.rest();
}
