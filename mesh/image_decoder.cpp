#include "mesh/image_decoder.h"

#include "platform/isolated_process.h"

#include <IL/il.h>
#include <cstdint>
#include <cstdio>
#include <unistd.h>
#include <utility>

namespace {

// What the helper sends: this header, then width * height * 4 bytes of pixels.
struct ImageHeader {
    std::uint32_t width;
    std::uint32_t height;
};

bool writeAll(int output, const void* data, std::size_t size) {
    auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        ssize_t written = write(output, bytes, size);
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// The helper's work, behind the system-call filter.
int decodeIntoPipe(int file, int output, const char* path) {
    FILE* stream = fdopen(file, "rb");
    if (!stream) return 1;
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    if (!ilLoadF(ilTypeFromExt(path), stream) || !ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE))
        return 1;
    const ImageHeader header{static_cast<std::uint32_t>(ilGetInteger(IL_IMAGE_WIDTH)),
                             static_cast<std::uint32_t>(ilGetInteger(IL_IMAGE_HEIGHT))};
    const std::size_t size = std::size_t{header.width} * header.height * 4;
    return writeAll(output, &header, sizeof header) && writeAll(output, ilGetData(), size) ? 0 : 1;
}

} // namespace

bool decodeImageIsolated(const char* path, unsigned maxSide, RgbaImage& image) {
    // Initialised here, once, so that each helper starts with the library ready.
    static const bool initialised = (ilInit(), true);
    (void)initialised;
    IsolatedProcess helper;
    ImageHeader header{};
    if (!helper.start(path, decodeIntoPipe, IsolationLimits{}) ||
        !helper.read(&header, sizeof header))
        return false;
    if (header.width == 0 || header.height == 0 || header.width > maxSide ||
        header.height > maxSide)
        return false;
    std::vector<unsigned char> pixels(std::size_t{header.width} * header.height * 4);
    if (!helper.read(pixels.data(), pixels.size()) || !helper.finish()) return false;
    image.width = header.width;
    image.height = header.height;
    image.pixels = std::move(pixels);
    return true;
}
