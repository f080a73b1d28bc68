#include "mesh/image_helper_work.h"

#include "platform/helper_process.h"
#include "platform/system_image_codecs.h"

#include <IL/il.h>
#include <utility>

bool decodeImageBytes(ImageCodecs codecs, const ImageHelperRequest& request,
                      const MappedBuffer& bytes, DecodedImage& image) {
    if (bytes.empty()) return false;
    if (codecs == ImageCodecs::imageLibrary) return decodeWithImageLibrary(request, bytes, image);
    const std::size_t allowance =
        request.allowance < SIZE_MAX ? static_cast<std::size_t>(request.allowance) : SIZE_MAX;
    return decodeWithSystemCodecs(bytes.data(), bytes.size(), request.maxSide, allowance,
                                  image.width, image.height, image.pixels);
}

int serveImageRequests(ImageCodecs codecs) {
    enterHelperMode();
    if (codecs == ImageCodecs::imageLibrary) ilInit();
    ImageHelperRequest request{};
    MappedBuffer bytes;
    // The last answer's pixels, which the program takes before it sends the next request.
    DecodedImage answered;
    while (receiveHelperRequest(bytes, &request, sizeof request)) {
        request.path[sizeof request.path - 1] = '\0';
        DecodedImage image;
        ImageHeader header{0, 0, 0};
        if (decodeImageBytes(codecs, request, bytes, image))
            header = {image.width, image.height, shareWithParent(image.pixels)};
        if (header.sharedPixels == 0) header = {0, 0, 0};
        bytes = MappedBuffer();
        answered = std::move(image);
        if (!writeHelperAnswer(&header, sizeof header)) return 1;
    }
    return 0;
}
