#include "fuzz/fuzz_files.h"
#include "mesh/image_decoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// Any bytes as a texture image, decoded through the image helper as the texture loader does.
// The first byte picks the file name's extension, which picks the image library's reader; the
// rest is the file. Whatever the helper does with it, the program only ever gets an image
// whose size is within bounds and whose bytes match that size. Crashes and hangs of the image
// library itself stay in the helper: they are what it is for.

namespace {

const char* const extensions[] = {".png", ".tga", ".dds", ".bmp", ".jpg", ".gif"};
constexpr unsigned maxSide = 4096;

void require(bool holds, const char* rule) {
    if (holds) return;
    std::fprintf(stderr, "korvalin fuzz: a decoded image breaks a rule: %s\n", rule);
    std::abort();
}

// One helper serves the whole run, as one serves a texture list.
ImageDecoder decoder;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    startImageDecoder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string path = std::string(fuzzFolder()) + "/image" +
                             extensions[data[0] % (sizeof extensions / sizeof *extensions)];
    writeFuzzInput(path, data + 1, size - 1);
    DecodedImage image;
    if (!decoder.decode(path.c_str(), maxSide, image)) {
        require(image.pixels.empty(), "a failed decode hands back no pixels");
        return 0;
    }
    require(image.width >= 1 && image.width <= maxSide, "width within bounds");
    require(image.height >= 1 && image.height <= maxSide, "height within bounds");
    require(image.pixels.size() == std::size_t{image.width} * image.height * 4,
            "four bytes a pixel");
    return 0;
}
