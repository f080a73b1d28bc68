#include "tools/convert/png_image.h"

#include "mesh/image_decoder.h"

#include <IL/il.h>
#include <cstdio>

namespace {

// The largest side an image may have; glTF sets none, this bounds the memory.
constexpr unsigned largestSide = 16384;

bool readAll(std::FILE* file, std::vector<unsigned char>& bytes) {
    if (std::fseek(file, 0, SEEK_END) != 0) return false;
    const long size = std::ftell(file);
    if (size <= 0 || std::fseek(file, 0, SEEK_SET) != 0) return false;
    bytes.resize(static_cast<std::size_t>(size));
    return std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

bool encodePng(DecodedImage& image, std::vector<unsigned char>& png) {
    static const bool initialised = (ilInit(), true);
    (void)initialised;
    std::FILE* file = std::tmpfile();
    if (!file) return false;
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    bool made =
        ilTexImage(image.width, image.height, 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, image.pixels.data());
    if (made) {
        ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT); // the first row delivered is the top row
        made = ilSaveF(IL_PNG, file) > 0 && std::fflush(file) == 0 && readAll(file, png);
    }
    ilDeleteImages(1, &name);
    std::fclose(file);
    return made;
}

} // namespace

bool pngOfImageFile(const std::string& path, std::vector<unsigned char>& png) {
    ImageDecoder decoder;
    DecodedImage image;
    return decoder.decode(path.c_str(), largestSide, image) && encodePng(image, png);
}
