#include "tools/frame_capture.h"

#include <GL/gl.h>
#include <IL/il.h>

#include <cstddef>
#include <memory>
#include <new>

bool saveFramePng(const char* path, int width, int height) {
    std::size_t size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
    std::unique_ptr<unsigned char[]> pixels(new (std::nothrow) unsigned char[size]);
    if (!pixels) return false;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    // The picture as the window shows it: colour only, the framebuffer's alpha is not seen.
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.get());

    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    // GL rows run bottom to top; saying so lets the image library write the file top row first.
    bool saved = ilTexImage(width, height, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, pixels.get());
    if (saved) {
        ilRegisterOrigin(IL_ORIGIN_LOWER_LEFT);
        ilEnable(IL_FILE_OVERWRITE);
        saved = ilSave(IL_PNG, path);
    }
    ilDeleteImages(1, &image);
    return saved;
}
