#include "bench/texture_images.h"

#include <IL/il.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int oldestImageLibrary = 178;

using Rgba = std::array<std::uint8_t, 4>;

void put(RgbaImage& image, int x, int y, Rgba colour) {
    std::memcpy(image.at(x, y), colour.data(), 4);
}

// Marks the top-left corner so a flipped or mirrored texture is easy to spot.
void addCornerMarker(RgbaImage& image, int offset, int size) {
    for (int y = offset; y < offset + size; ++y)
        for (int x = offset; x < offset + size; ++x)
            put(image, x, y, {220, 30, 30, 255});
}

bool imageLibraryReady() {
    static const bool ready = [] {
        ilInit();
        if (ilGetInteger(IL_VERSION_NUM) < oldestImageLibrary) return false;
        ilEnable(IL_FILE_OVERWRITE);
        return true;
    }();
    return ready;
}

// One bound image name for the duration of a save or load.
class BoundImage {
  public:
    BoundImage() {
        ilGenImages(1, &name_);
        ilBindImage(name_);
    }
    ~BoundImage() { ilDeleteImages(1, &name_); }
    BoundImage(const BoundImage&) = delete;
    BoundImage& operator=(const BoundImage&) = delete;

  private:
    ILuint name_ = 0;
};

} // namespace

RgbaImage makeHullPlatesImage(int size) {
    RgbaImage image(size, size);
    const int plate = std::max(size / 4, 4);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int px = x % plate, py = y % plate;
            const bool seam = px == 0 || py == 0;
            const bool rivet = (px == 3 || px == plate - 4) && (py == 3 || py == plate - 4);
            const bool band = y >= size * 5 / 8 && y < size * 3 / 4;
            Rgba colour = band ? Rgba{170, 50, 40, 255} : Rgba{150, 155, 165, 255};
            if (rivet) colour = {215, 215, 225, 255};
            if (seam) colour = {70, 75, 85, 255};
            put(image, x, y, colour);
        }
    }
    addCornerMarker(image, 1, std::max(size / 16, 2));
    return image;
}

RgbaImage makeCrateImage(int size) {
    RgbaImage image(size, size);
    const int frame = std::max(size / 12, 2);
    const int plank = std::max(size / 8, 4);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int row = y / plank;
            Rgba colour = row % 2 ? Rgba{170, 120, 70, 255} : Rgba{150, 105, 60, 255};
            if ((x + 7 * row) % 23 == 0 || y % plank == 0) colour = {110, 75, 40, 255};
            if (std::abs(x - y) < frame / 2 + 1) colour = {125, 85, 45, 255};
            const bool border = x < frame || y < frame || x >= size - frame || y >= size - frame;
            if (border) colour = {90, 60, 30, 255};
            put(image, x, y, colour);
        }
    }
    addCornerMarker(image, frame, frame);
    return image;
}

RgbaImage makeStripesImage(int size) {
    RgbaImage image(size, size);
    const int width = std::max(size / 8, 2);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            put(image, x, y,
                (x + y) / width % 2 ? Rgba{40, 120, 220, 128} : Rgba{245, 245, 245, 255});
    addCornerMarker(image, 0, std::max(size / 16, 2));
    return image;
}

RgbaImage makeCheckerImage(int size) {
    RgbaImage image(size, size);
    const int tile = std::max(size / 8, 1);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            put(image, x, y,
                (x / tile + y / tile) % 2 ? Rgba{60, 40, 20, 255} : Rgba{230, 190, 60, 255});
    addCornerMarker(image, 0, tile);
    return image;
}

bool saveImage(const char* path, const RgbaImage& image) {
    if (!imageLibraryReady() || image.width <= 0 || image.height <= 0) return false;
    BoundImage bound;
    std::vector<std::uint8_t> pixels = image.pixels; // the library takes a non-const pointer
    if (!ilTexImage(image.width, image.height, 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, pixels.data()))
        return false;
    ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
    return ilSaveImage(path) == IL_TRUE;
}

bool loadImage(const char* path, RgbaImage& image) {
    if (!imageLibraryReady()) return false;
    BoundImage bound;
    if (!ilLoadImage(path) || !ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE)) return false;
    image = RgbaImage(ilGetInteger(IL_IMAGE_WIDTH), ilGetInteger(IL_IMAGE_HEIGHT));
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 4;
    const bool bottomUp = ilGetInteger(IL_IMAGE_ORIGIN) == IL_ORIGIN_LOWER_LEFT;
    const std::uint8_t* data = ilGetData();
    for (int y = 0; y < image.height; ++y) {
        const int source = bottomUp ? image.height - 1 - y : y;
        std::memcpy(image.at(0, y), data + source * rowBytes, rowBytes);
    }
    return true;
}
