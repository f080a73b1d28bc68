#pragma once

#include "mesh/image_decoder.h"

#include <cstddef>
#include <cstdint>
#include <string>

// What each request to the Windows image helper carries beside its file.
struct ImageHelperRequest {
    std::uint64_t allowance; // the most the pixels may take
    std::uint32_t maxSide;
    std::uint32_t unused;
    char path[4096 - 16]; // its extension tells the image library the type
};

// A file's bytes decoded as the Linux helper decodes them (the image library's type from the
// name's extension, else from the content, then RGBA), in the program itself: what the Windows
// helper does with DevIL.dll. False when the library cannot, or the image is wider or taller than
// the request's maxSide or would take more than its allowance.
bool decodeWithImageLibrary(const ImageHelperRequest& request, const MappedBuffer& bytes,
                            DecodedImage& image);

// The image library's version as its releases are named ("1.7.8").
std::string imageLibraryVersion();
