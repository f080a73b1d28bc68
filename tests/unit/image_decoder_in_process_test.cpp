// The Windows program's decoder (the image library in the program itself), run here against
// the real library: it must give what the Linux helper gives for the same files.
#include "mesh/image_decoder.h"

#include <gtest/gtest.h>

#include <IL/il.h>
#include <cstdio>
#include <map>
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

std::map<std::size_t, Pixels> decodeAll(const std::vector<std::string>& paths, unsigned maxSide) {
    ImageDecoder decoder;
    std::map<std::size_t, Pixels> taken;
    decoder.decodeAll(paths, maxSide, [&](std::size_t index, DecodedImage& image) {
        Pixels& pixels = taken[index];
        pixels.width = image.width;
        pixels.height = image.height;
        pixels.bytes.assign(image.pixels.data(), image.pixels.data() + image.pixels.size());
    });
    decoder.end();
    return taken;
}

// Every sample format, a missing file between them, and each image under its own index.
TEST(ImageDecoderInProcessTest, DecodesEachFileAsTheHelperDoesUnderItsOwnIndex) {
    const std::vector<std::string> paths = {samples + "checker.png", samples + "no-such.png",
                                            samples + "crate.png", samples + "hull.dds",
                                            samples + "stripes.tga"};
    std::map<std::size_t, Pixels> taken = decodeAll(paths, 16384);
    EXPECT_EQ(taken.size(), 4u);
    EXPECT_EQ(taken.count(1), 0u);
    for (std::size_t index : {0u, 2u, 3u, 4u}) {
        SCOPED_TRACE(paths[index]);
        Pixels expected = decodedAsTheHelperDoes(paths[index]);
        ASSERT_GT(expected.width, 0u);
        EXPECT_EQ(taken[index].width, expected.width);
        EXPECT_EQ(taken[index].height, expected.height);
        EXPECT_EQ(taken[index].bytes, expected.bytes);
    }
}

// An image larger than the GL takes is refused, and the list goes on after it.
TEST(ImageDecoderInProcessTest, RefusesImagesLargerThanAllowedAndGoesOn) {
    Pixels large = decodedAsTheHelperDoes(samples + "crate.png");
    Pixels small = decodedAsTheHelperDoes(samples + "stripes.tga");
    ASSERT_GT(large.width, small.width);
    std::map<std::size_t, Pixels> taken =
        decodeAll({samples + "crate.png", samples + "stripes.tga"}, small.width);
    EXPECT_EQ(taken.count(0), 0u);
    ASSERT_EQ(taken.count(1), 1u);
    EXPECT_EQ(taken[1].bytes, small.bytes);

    ImageDecoder decoder;
    DecodedImage image;
    EXPECT_TRUE(decoder.decode((samples + "stripes.tga").c_str(), small.width, image));
    EXPECT_FALSE(decoder.decode((samples + "crate.png").c_str(), small.width, image));
}

} // namespace
