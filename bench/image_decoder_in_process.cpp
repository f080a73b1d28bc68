// The image decoder without a helper, for texture_load_bench_in_process: the image library in the
// benchmark itself, with what the Windows helper does for each file. The difference between the
// two benchmarks is what the Linux helper costs.
#include "mesh/image_decoder.h"
#include "mesh/image_library_decode.h"
#include "mesh/texture_loader.h"
#include "platform/regular_file.h"

#include <IL/il.h>
#include <cstring>

struct ImageDecoder::Worker {};

ImageDecoder::ImageDecoder() : worker(std::make_unique<Worker>()) {}

ImageDecoder::~ImageDecoder() = default;

void ImageDecoder::end() {}

void ImageDecoder::rest() {}

void ImageDecoder::decodeAll(const std::vector<std::string>& paths, unsigned maxSide,
                             const Take& take) {
    static const bool initialised = (ilInit(), true);
    (void)initialised;
    for (std::size_t index = 0; index < paths.size(); ++index) {
        ImageHelperRequest request{budget.memoryBytes, maxSide, 0, {}};
        if (paths[index].size() >= sizeof request.path) continue;
        std::memcpy(request.path, paths[index].c_str(), paths[index].size() + 1);
        MappedBuffer bytes;
        DecodedImage image;
        if (readRegularFile(paths[index].c_str(), bytes) &&
            decodeWithImageLibrary(request, bytes, image))
            take(index, image);
    }
}

void startImageDecoder() {}

bool imageDecoderUsable() {
    return ilGetInteger(IL_VERSION_NUM) >= minimumImageLibraryVersion;
}

std::string imageDecoderDescription() {
    return "images: DevIL in the program";
}

bool runAsImageHelper(int, char**, int&) {
    return false;
}
