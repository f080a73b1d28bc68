#include "tests/support/devil_image.h"

#include <cstddef>
#include <filesystem>

namespace {

int bytesPerPixel(ILenum format) {
    switch (format) {
    case IL_RGBA:
        return 4;
    case IL_RGB:
        return 3;
    case IL_LUMINANCE:
        return 1;
    default:
        return 0;
    }
}

// ilTexImage reads width × height pixels whatever the vector holds.
bool sizesMatch(const ImagePixels& image) {
    std::size_t expected = static_cast<std::size_t>(image.width) * image.height *
                           static_cast<std::size_t>(bytesPerPixel(image.format));
    return expected > 0 && image.bytes.size() == expected;
}

bool saveBoundImage(const std::string& path, const ImagePixels& image, SaveAs saveAs,
                    ILint* savedOrigin) {
    ILubyte channels = static_cast<ILubyte>(bytesPerPixel(image.format));
    // DevIL asks for writable memory but only copies from it.
    void* pixels = const_cast<unsigned char*>(image.bytes.data());
    if (!ilTexImage(static_cast<ILuint>(image.width), static_cast<ILuint>(image.height), 1,
                    channels, image.format, IL_UNSIGNED_BYTE, pixels))
        return false;
    if (savedOrigin) *savedOrigin = ilGetInteger(IL_IMAGE_ORIGIN);
    if (saveAs == SaveAs::palette && !ilConvertImage(IL_COLOUR_INDEX, IL_UNSIGNED_BYTE))
        return false;
    ilEnable(IL_FILE_OVERWRITE);
    return ilSaveImage(path.c_str()) == IL_TRUE;
}

} // namespace

bool writeImageFile(const std::string& path, const ImagePixels& image, SaveAs saveAs,
                    ILint* savedOrigin) {
    if (!sizesMatch(image)) return false;
    std::error_code ignored; // a folder that cannot be made shows as a failed save
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    ilInit();
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    bool written = saveBoundImage(path, image, saveAs, savedOrigin);
    ilDeleteImages(1, &name);
    return written;
}

StoredImage readImageFile(const std::string& path) {
    StoredImage stored;
    ilInit();
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    stored.loaded = ilLoadImage(path.c_str()) == IL_TRUE;
    if (stored.loaded) {
        stored.width = ilGetInteger(IL_IMAGE_WIDTH);
        stored.height = ilGetInteger(IL_IMAGE_HEIGHT);
        stored.format = ilGetInteger(IL_IMAGE_FORMAT);
        stored.origin = ilGetInteger(IL_IMAGE_ORIGIN);
    }
    ilDeleteImages(1, &name);
    return stored;
}

ViewedImage readViewedImage(const std::string& path, ILenum format) {
    ViewedImage viewed;
    ilInit();
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    if (ilLoadImage(path.c_str())) {
        viewed.storedFormat = ilGetInteger(IL_IMAGE_FORMAT);
        if (ilConvertImage(format, IL_UNSIGNED_BYTE) &&
            ilGetInteger(IL_IMAGE_ORIGIN) == IL_ORIGIN_UPPER_LEFT) {
            viewed.width = ilGetInteger(IL_IMAGE_WIDTH);
            viewed.height = ilGetInteger(IL_IMAGE_HEIGHT);
            const unsigned char* data = ilGetData();
            viewed.bytes.assign(data, data + ilGetInteger(IL_IMAGE_SIZE_OF_DATA));
        }
    }
    ilDeleteImages(1, &name);
    ilDisable(IL_ORIGIN_SET);
    return viewed;
}
