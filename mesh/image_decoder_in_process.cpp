#include "mesh/image_decoder.h"

#include <IL/il.h>
#include <cstring>

// Nothing lasts from one call to the next: the library holds an image only while it decodes it.
struct ImageDecoder::Worker {};

namespace {

// The bound image, loaded and converted, copied out; the library keeps its own copy.
bool decodeBoundImage(const char* path, unsigned maxSide, DecodedImage& image) {
    if (!ilLoadImage(path) || !ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE)) return false;
    const ILint width = ilGetInteger(IL_IMAGE_WIDTH);
    const ILint height = ilGetInteger(IL_IMAGE_HEIGHT);
    if (width <= 0 || height <= 0 || static_cast<unsigned>(width) > maxSide ||
        static_cast<unsigned>(height) > maxSide)
        return false;
    const std::size_t size =
        std::size_t{static_cast<unsigned>(width)} * static_cast<unsigned>(height) * 4;
    const ILubyte* pixels = ilGetData();
    const ILint available = ilGetInteger(IL_IMAGE_SIZE_OF_DATA);
    if (!pixels || available < 0 || static_cast<std::size_t>(available) < size) return false;
    if (!image.pixels.allocate(size)) return false;
    std::memcpy(image.pixels.data(), pixels, size);
    image.width = static_cast<unsigned>(width);
    image.height = static_cast<unsigned>(height);
    return true;
}

} // namespace

ImageDecoder::ImageDecoder() : worker(std::make_unique<Worker>()) {}

ImageDecoder::~ImageDecoder() = default;

void ImageDecoder::end() {}

void ImageDecoder::rest() {}

void ImageDecoder::decodeAll(const std::vector<std::string>& paths, unsigned maxSide,
                             const Take& take) {
    static const bool initialised = (ilInit(), true);
    (void)initialised;
    for (std::size_t index = 0; index < paths.size(); ++index) {
        ILuint name = 0;
        ilGenImages(1, &name);
        ilBindImage(name);
        DecodedImage image;
        const bool decoded = decodeBoundImage(paths[index].c_str(), maxSide, image);
        ilDeleteImages(1, &name);
        if (decoded) take(index, image);
    }
}
