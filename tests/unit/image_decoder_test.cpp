#include "mesh/image_decoder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <sys/wait.h>

namespace {

const std::string samples = KORVALIN_SOURCE_DIR "/samples/";
const std::string hostile = KORVALIN_SOURCE_DIR "/tests/data/hostile-images/";

// Mutated copies of our own images that crash, abort or loop the image library when it runs
// in the program's process. Through the helper the program survives each, and nothing is left
// running. The GIF corrupts the library's heap: whether glibc notices before the helper
// answers depends on the heap the helper inherits, so it may decode, but only to a
// consistent image.
TEST(ImageDecoderTest, ImagesThatCrashAbortOrLoopTheLibraryCannotHurtTheProgram) {
    const struct {
        const char* name;
        bool mayDecode;
    } cases[] = {{"segfault-dds.dds", false}, {"hang-png.png", false}, {"abort-gif.gif", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RgbaImage image;
        bool decoded = decodeImageIsolated((hostile + c.name).c_str(), 16384, image);
        if (!c.mayDecode) {
            EXPECT_FALSE(decoded);
        }
        EXPECT_EQ(image.pixels.size(), std::size_t{image.width} * image.height * 4);
        EXPECT_TRUE(waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD);
    }
}

TEST(ImageDecoderTest, GoodImagesDecodeToRgbaOfTheirSizeUnlessLargerThanAllowed) {
    RgbaImage image;
    ASSERT_TRUE(decodeImageIsolated((samples + "crate.png").c_str(), 16384, image));
    ASSERT_GT(image.width, 1u);
    EXPECT_EQ(image.pixels.size(), std::size_t{image.width} * image.height * 4);
    RgbaImage refused;
    EXPECT_FALSE(decodeImageIsolated((samples + "crate.png").c_str(), image.width - 1, refused));
    EXPECT_TRUE(refused.pixels.empty());
}

} // namespace
