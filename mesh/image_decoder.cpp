#include "mesh/image_decoder.h"

#include <utility>

bool ImageDecoder::decode(const char* path, unsigned maxSide, DecodedImage& image) {
    bool decoded = false;
    decodeAll({path}, maxSide, [&](std::size_t, DecodedImage& result) {
        image = std::move(result);
        decoded = true;
    });
    return decoded;
}
