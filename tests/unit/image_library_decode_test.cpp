// The Windows helper's decoding with DevIL.dll, run here against the real library: it must give
// what the Linux helper gives for the same files.
#include "mesh/image_library_decode.h"
#include "platform/mapped_buffer.h"
#include "platform/regular_file.h"

#include <gtest/gtest.h>

#include <IL/il.h>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const std::string samples = KORVALIN_SOURCE_DIR "/samples/";

struct Pixels {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<unsigned char> bytes;
};

// As the Linux helper decodes: the type from the name's extension, else from the content,
// read from an open file, then converted to RGBA.
Pixels decodedAsTheHelperDoes(const std::string& path) {
    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    Pixels pixels;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file && ilLoadF(ilTypeFromExt(path.c_str()), file) &&
        ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE)) {
        pixels.width = static_cast<unsigned>(ilGetInteger(IL_IMAGE_WIDTH));
        pixels.height = static_cast<unsigned>(ilGetInteger(IL_IMAGE_HEIGHT));
        const ILubyte* data = ilGetData();
        pixels.bytes.assign(data, data + std::size_t{pixels.width} * pixels.height * 4);
    }
    if (file) std::fclose(file);
    ilDeleteImages(1, &image);
    return pixels;
}

// As the Windows helper decodes a file with DevIL.dll: from its bytes, read whole.
Pixels decodedFromBytes(const std::string& path, unsigned maxSide,
                        std::uint64_t allowance = UINT64_MAX) {
    ImageHelperRequest request{allowance, maxSide, 0, {}};
    std::snprintf(request.path, sizeof request.path, "%s", path.c_str());
    MappedBuffer bytes;
    Pixels pixels;
    readRegularFile(path.c_str(), bytes);
    DecodedImage image;
    if (!bytes.empty() && decodeWithImageLibrary(request, bytes, image)) {
        pixels.width = image.width;
        pixels.height = image.height;
        pixels.bytes.assign(image.pixels.data(), image.pixels.data() + image.pixels.size());
    }
    return pixels;
}

// Every sample format gives what the Linux helper gives.
TEST(ImageLibraryDecodeTest, DecodesEachSampleAsTheHelperDoes) {
    for (const char* name : {"checker.png", "crate.png", "hull.dds", "stripes.tga"}) {
        SCOPED_TRACE(name);
        Pixels expected = decodedAsTheHelperDoes(samples + name);
        Pixels got = decodedFromBytes(samples + name, 16384);
        ASSERT_GT(expected.width, 0u);
        EXPECT_EQ(got.width, expected.width);
        EXPECT_EQ(got.height, expected.height);
        EXPECT_EQ(got.bytes, expected.bytes);
    }
}

// An image wider than the GL takes, or larger than the memory left, is refused; at the limits
// it is not.
TEST(ImageLibraryDecodeTest, RefusesImagesBeyondTheSideOrTheAllowance) {
    const std::string crate = samples + "crate.png";
    Pixels expected = decodedAsTheHelperDoes(crate);
    const std::uint64_t size = std::uint64_t{expected.width} * expected.height * 4;
    EXPECT_EQ(decodedFromBytes(crate, expected.width - 1).width, 0u);
    EXPECT_EQ(decodedFromBytes(crate, expected.width, size - 1).width, 0u);
    EXPECT_EQ(decodedFromBytes(crate, expected.width, size).bytes, expected.bytes);
}

} // namespace
