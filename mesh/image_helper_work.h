#pragma once

#include "mesh/image_decoder.h"
#include "mesh/image_library_decode.h"

#include <cstddef>
#include <cstdint>

// Windows: the image helper's side. The program starts itself with these arguments to get a
// helper; a helper decodes with the image library or, where there is no usable one, with the
// system's own codecs, as the program chose once for its run.
enum class ImageCodecs { imageLibrary, system };
constexpr const char* imageHelperOption = "--image-helper";
constexpr const char* imageLibraryCodecsName = "devil";
constexpr const char* systemCodecsName = "system";

// The helper's answer to each request; its width * height * 4 bytes of pixels are in memory it
// shares with the program (HelperProcess::takeShared). A width of 0 means the image did not
// decode.
struct ImageHeader {
    std::uint32_t width;
    std::uint32_t height;
    std::uint64_t sharedPixels;
};

// The codecs of this run, chosen when first asked: a usable DevIL.dll beside the program wins.
ImageCodecs chosenImageCodecs();

// Decodes one file's bytes as the helper does; also what decoding in the program itself does.
bool decodeImageBytes(ImageCodecs codecs, const ImageHelperRequest& request,
                      const MappedBuffer& bytes, DecodedImage& image);

// The helper's work: one answer per request until the program has no more. Returns its exit
// status.
int serveImageRequests(ImageCodecs codecs);
