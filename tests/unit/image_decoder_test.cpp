#include "mesh/image_decoder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <sys/wait.h>

namespace {

const std::string samples = KORVALIN_SOURCE_DIR "/samples/";
const std::string hostile = KORVALIN_SOURCE_DIR "/tests/data/hostile-images/";

bool noChildLeft() {
    return waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD;
}

// Mutated copies of our own images that crash, abort or loop the image library when it runs
// in the program's process. Through the helper the program survives each, and a good image
// after it decodes as it would alone. The GIF corrupts the library's heap: whether glibc
// notices before the helper answers depends on the heap the helper inherits, so it may
// decode, but only to a consistent image.
TEST(ImageDecoderTest, ImagesThatCrashAbortOrLoopTheLibraryCannotHurtTheProgramOrLaterImages) {
    const struct {
        const char* name;
        bool mayDecode;
    } cases[] = {{"segfault-dds.dds", false}, {"hang-png.png", false}, {"abort-gif.gif", true}};
    RgbaImage alone;
    {
        ImageDecoder decoder;
        ASSERT_TRUE(decoder.decode((samples + "crate.png").c_str(), 16384, alone));
    }
    ImageDecoder decoder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RgbaImage image;
        bool decoded = decoder.decode((hostile + c.name).c_str(), 16384, image);
        if (!c.mayDecode) {
            EXPECT_FALSE(decoded);
        }
        EXPECT_EQ(image.pixels.size(), std::size_t{image.width} * image.height * 4);
        RgbaImage after;
        ASSERT_TRUE(decoder.decode((samples + "crate.png").c_str(), 16384, after));
        EXPECT_EQ(after.pixels, alone.pixels);
    }
    decoder.end();
    EXPECT_TRUE(noChildLeft());
}

TEST(ImageDecoderTest, ImagesLargerThanAllowedOrMissingAreRefused) {
    ImageDecoder decoder;
    RgbaImage image;
    ASSERT_TRUE(decoder.decode((samples + "crate.png").c_str(), 16384, image));
    ASSERT_GT(image.width, 1u);
    EXPECT_EQ(image.pixels.size(), std::size_t{image.width} * image.height * 4);
    RgbaImage refused;
    EXPECT_FALSE(decoder.decode((samples + "crate.png").c_str(), image.width - 1, refused));
    EXPECT_FALSE(decoder.decode((samples + "no-such-image.png").c_str(), 16384, refused));
    EXPECT_TRUE(refused.pixels.empty());
    decoder.end();
    EXPECT_TRUE(noChildLeft());
}

} // namespace
