#include "mesh/image_library_decode.h"

#include <IL/il.h>
#include <cstring>

bool decodeWithImageLibrary(const ImageHelperRequest& request, const MappedBuffer& bytes,
                            DecodedImage& image) {
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    bool decoded =
        bytes.size() <= 0xffffffffu &&
        ilLoadL(ilTypeFromExt(request.path), bytes.data(), static_cast<ILuint>(bytes.size())) &&
        ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE);
    const ILint width = decoded ? ilGetInteger(IL_IMAGE_WIDTH) : 0;
    const ILint height = decoded ? ilGetInteger(IL_IMAGE_HEIGHT) : 0;
    const ILint available = decoded ? ilGetInteger(IL_IMAGE_SIZE_OF_DATA) : 0;
    const ILubyte* pixels = decoded ? ilGetData() : nullptr;
    const std::size_t size = std::size_t{static_cast<unsigned>(width)} *
                             static_cast<unsigned>(height > 0 ? height : 0) * 4;
    decoded = pixels && width > 0 && height > 0 &&
              static_cast<unsigned>(width) <= request.maxSide &&
              static_cast<unsigned>(height) <= request.maxSide && size <= request.allowance &&
              available >= 0 && static_cast<std::size_t>(available) >= size &&
              image.pixels.allocate(size);
    if (decoded) {
        std::memcpy(image.pixels.data(), pixels, size);
        image.width = static_cast<unsigned>(width);
        image.height = static_cast<unsigned>(height);
    }
    ilDeleteImages(1, &name);
    return decoded;
}

std::string imageLibraryVersion() {
    const int version = ilGetInteger(IL_VERSION_NUM);
    return std::to_string(version / 100) + "." + std::to_string(version / 10 % 10) + "." +
           std::to_string(version % 10);
}
