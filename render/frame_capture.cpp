#include "render/frame_capture.h"

#include "mesh/texture_loader.h"

#include <GL/gl.h>
#include <IL/il.h>

#include <cstddef>
#include <memory>
#include <new>

namespace {

std::size_t pixelCount(int width, int height) {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

// Pixels as GL reads them, rows bottom to top, written as a PNG.
bool writePng(const char* path, int width, int height, int channels, ILenum format,
              unsigned char* pixels, bool overwrite) {
    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    // GL rows run bottom to top; saying so lets the image library write the file top row first.
    bool saved = ilTexImage(width, height, 1, static_cast<ILubyte>(channels), format,
                            IL_UNSIGNED_BYTE, pixels);
    if (saved) {
        ilRegisterOrigin(IL_ORIGIN_LOWER_LEFT);
        if (overwrite)
            ilEnable(IL_FILE_OVERWRITE);
        else
            ilDisable(IL_FILE_OVERWRITE);
        saved = ilSave(IL_PNG, path);
    }
    ilDeleteImages(1, &image);
    return saved;
}

} // namespace

bool canWritePng() {
    return ilGetInteger(IL_VERSION_NUM) >= minimumImageLibraryVersion;
}

bool saveFramePng(const char* path, int width, int height, bool overwrite) {
    std::unique_ptr<unsigned char[]> pixels(
        new (std::nothrow) unsigned char[pixelCount(width, height) * 3]);
    if (!pixels) return false;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    // The picture as the window shows it: colour only, the framebuffer's alpha is not seen.
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.get());
    return writePng(path, width, height, 3, IL_RGB, pixels.get(), overwrite);
}

long long coveredPixels(int width, int height) {
    const std::size_t count = pixelCount(width, height);
    std::unique_ptr<float[]> depths(new (std::nothrow) float[count]);
    if (!depths) return 0;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_DEPTH_COMPONENT, GL_FLOAT, depths.get());
    long long covered = 0;
    for (std::size_t i = 0; i < count; ++i)
        covered += depths[i] < 1.0f;
    return covered;
}

bool saveCoveragePng(const char* path, int width, int height) {
    const std::size_t count = pixelCount(width, height);
    std::unique_ptr<unsigned char[]> pixels(new (std::nothrow) unsigned char[count * 4]);
    std::unique_ptr<float[]> depths(new (std::nothrow) float[count]);
    if (!pixels || !depths) return false;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.get());
    glReadPixels(0, 0, width, height, GL_DEPTH_COMPONENT, GL_FLOAT, depths.get());
    // The framebuffer's own alpha is what blending left there (a translucent group over nothing
    // keeps little of it): coverage comes from depth, which every drawn fragment writes.
    for (std::size_t i = 0; i < count; ++i) {
        unsigned char* pixel = &pixels[i * 4];
        if (depths[i] < 1.0f) {
            pixel[3] = 255;
        } else {
            pixel[0] = pixel[1] = pixel[2] = pixel[3] = 0;
        }
    }
    return writePng(path, width, height, 4, IL_RGBA, pixels.get(), true);
}
