#include "mesh/image_decoder.h"
#include "tests/support/devil_image.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

namespace {

const std::string samples = KORVALIN_SOURCE_DIR "/samples/";
const std::string hostile = KORVALIN_SOURCE_DIR "/tests/data/hostile-images/";

// As the programs' mains do: helpers come from the launcher, started before any test runs.
class LauncherStart : public testing::Environment {
    void SetUp() override { startImageDecoder(); }
};
testing::Environment* const launcherStart = testing::AddGlobalTestEnvironment(new LauncherStart);

bool noChildLeft() {
    return waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD;
}

// A small file that this build of the decoder loops on for ever, inside the helper, whatever
// the image library's version.
std::string writeLoopingImage(const TempFolder& folder, const std::string& name) {
    return folder.write(name, KORVALIN_LOOPING_IMAGE_MARK "\x89PNG\r\n\x1a\n");
}

// Mutated copies of our own images that crash, abort or loop the image library (some of its
// versions) when it runs in the program's process, and a file that loops this build of the
// decoder. Through the helper the program survives each, and a good image after it decodes as
// it would alone. The GIF corrupts the library's heap: whether glibc notices before the helper
// answers depends on the heap the helper inherits, so it may decode, but only to a consistent
// image.
TEST(ImageDecoderTest, ImagesThatCrashAbortOrLoopTheLibraryCannotHurtTheProgramOrLaterImages) {
    TempFolder folder;
    const struct {
        std::string path;
        bool mayDecode;
    } cases[] = {{hostile + "segfault-dds.dds", false},
                 {hostile + "hang-png.png", false},
                 {hostile + "abort-gif.gif", true},
                 {writeLoopingImage(folder, "loop.png"), false}};
    DecodedImage alone;
    {
        ImageDecoder decoder;
        ASSERT_TRUE(decoder.decode((samples + "crate.png").c_str(), 16384, alone));
    }
    ImageDecoder decoder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        DecodedImage image;
        bool decoded = decoder.decode(c.path.c_str(), 16384, image);
        if (!c.mayDecode) {
            EXPECT_FALSE(decoded);
        }
        EXPECT_EQ(image.pixels.size(), std::size_t{image.width} * image.height * 4);
        DecodedImage after;
        ASSERT_TRUE(decoder.decode((samples + "crate.png").c_str(), 16384, after));
        ASSERT_EQ(after.pixels.size(), alone.pixels.size());
        EXPECT_TRUE(std::equal(after.pixels.data(), after.pixels.data() + after.pixels.size(),
                               alone.pixels.data()));
    }
    decoder.end();
    EXPECT_TRUE(noChildLeft());
}

TEST(ImageDecoderTest, ImagesLargerThanAllowedOrMissingAreRefused) {
    ImageDecoder decoder;
    DecodedImage image;
    ASSERT_TRUE(decoder.decode((samples + "crate.png").c_str(), 16384, image));
    ASSERT_GT(image.width, 1u);
    EXPECT_EQ(image.pixels.size(), std::size_t{image.width} * image.height * 4);
    DecodedImage refused;
    EXPECT_FALSE(decoder.decode((samples + "crate.png").c_str(), image.width - 1, refused));
    EXPECT_FALSE(decoder.decode((samples + "no-such-image.png").c_str(), 16384, refused));
    EXPECT_TRUE(refused.pixels.empty());
    decoder.end();
    EXPECT_TRUE(noChildLeft());
}

// From a megabyte up the pixels arrive in a mapping of their own rather than heap memory, and
// from 4 MB the helper asks for huge pages, whose ranges need not line up with the image's;
// an RGB file is converted into a second large block after the first. Every row arrives whole,
// also from a helper kept from the list before.
TEST(ImageDecoderTest, LargeImagesArriveWhole) {
    const struct {
        int width, height;
        ILenum format;
    } cases[] = {{640, 480, IL_RGBA}, {2100, 1500, IL_RGBA}, {1500, 1100, IL_RGB}};
    TempFolder folder;
    ImageDecoder decoder;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        const int channels = c.format == IL_RGBA ? 4 : 3;
        ImagePixels written;
        written.width = c.width;
        written.height = c.height;
        written.format = c.format;
        for (int i = 0; i < c.width * c.height * channels; ++i)
            written.bytes.push_back(static_cast<unsigned char>(i * 7 % 251));
        const std::string path = folder.file("large" + std::to_string(c.width) + ".tga");
        ASSERT_TRUE(writeImageFile(path, written));
        DecodedImage image;
        ASSERT_TRUE(decoder.decode(path.c_str(), 16384, image));
        decoder.rest();
        ASSERT_EQ(image.width, static_cast<unsigned>(c.width));
        ASSERT_EQ(image.pixels.size(), std::size_t(c.width) * c.height * 4);
        // Rows may come in either order: all of them in the one or all in the other.
        const auto rowMatches = [&](int got, int from) {
            const unsigned char* pixel = image.pixels.data() + std::size_t(got) * c.width * 4;
            const unsigned char* source =
                written.bytes.data() + std::size_t(from) * c.width * channels;
            for (int x = 0; x < c.width; ++x, pixel += 4, source += channels)
                if (!std::equal(source, source + channels, pixel) ||
                    (channels == 3 && pixel[3] != 255))
                    return false;
            return true;
        };
        bool same = true, flipped = true;
        for (int y = 0; y < c.height; ++y) {
            same = same && rowMatches(y, y);
            flipped = flipped && rowMatches(y, c.height - 1 - y);
        }
        EXPECT_TRUE(same || flipped);
    }
    decoder.end();
}

// Hostile texture lists under small budgets, so that no case waits long: which entries still
// decode shows whether each budget held.
TEST(ImageDecoderTest, HostileListsCostBoundedTimeAndMemory) {
    TempFolder folder;
    const std::string crate = samples + "crate.png", loop = writeLoopingImage(folder, "loop.png");
    const std::string fifo = folder.file("pipe.png");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    DecodedImage one;
    {
        ImageDecoder decoder;
        ASSERT_TRUE(decoder.decode(crate.c_str(), 16384, one));
    }
    const std::size_t crateBytes = one.pixels.size();
    // Larger than a crate, decoded in one piece: refused by the helper before it is allocated.
    ImagePixels large;
    large.width = large.height = 512;
    large.format = IL_RGBA;
    large.bytes.assign(512 * 512 * 4, 0x7f);
    const std::string largePath = folder.file("large-pattern.tga");
    ASSERT_TRUE(writeImageFile(largePath, large));
    const auto budget = [](int listMilliseconds, std::size_t memoryBytes) {
        DecodeBudget b;
        b.listMilliseconds = listMilliseconds;
        b.floorMilliseconds = 300;
        b.memoryBytes = memoryBytes;
        return b;
    };
    const struct {
        const char* what;
        std::vector<std::string> paths;
        DecodeBudget budget;
        std::set<std::size_t> decoded;
    } cases[] = {
        {"a small file that loops is given up long before the list's time is spent",
         {loop, loop, crate},
         budget(1500, SIZE_MAX),
         {2}},
        {"looping files spend the list's time, and what comes after fails",
         {loop, loop, loop, loop, crate},
         budget(1000, SIZE_MAX),
         {}},
        {"a pipe neither blocks nor counts", {fifo, crate}, budget(10000, SIZE_MAX), {1}},
        {"images beyond the memory budget fail",
         {crate, crate, crate},
         budget(10000, 2 * crateBytes + 1),
         {0, 1}},
        {"an image larger than the memory left fails, a smaller one after it still fits",
         {largePath, crate},
         budget(10000, crateBytes),
         {1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ImageDecoder decoder;
        decoder.setBudget(c.budget);
        std::set<std::size_t> decoded;
        decoder.decodeAll(c.paths, 16384,
                          [&](std::size_t index, DecodedImage&) { decoded.insert(index); });
        EXPECT_EQ(decoded, c.decoded);
        decoder.end();
    }
    EXPECT_TRUE(noChildLeft());
}

} // namespace
