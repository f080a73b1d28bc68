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
    DecodedImage alone;
    {
        ImageDecoder decoder;
        ASSERT_TRUE(decoder.decode((samples + "crate.png").c_str(), 16384, alone));
    }
    ImageDecoder decoder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DecodedImage image;
        bool decoded = decoder.decode((hostile + c.name).c_str(), 16384, image);
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

// From a megabyte up the pixels arrive in a mapping of their own rather than heap memory.
TEST(ImageDecoderTest, ALargeImageArrivesWhole) {
    ImagePixels written;
    written.width = 640;
    written.height = 480;
    written.format = IL_RGBA;
    for (int i = 0; i < written.width * written.height * 4; ++i)
        written.bytes.push_back(static_cast<unsigned char>(i * 7 % 251));
    TempFolder folder;
    const std::string path = folder.file("large.tga");
    ASSERT_TRUE(writeImageFile(path, written));
    ImageDecoder decoder;
    DecodedImage image;
    ASSERT_TRUE(decoder.decode(path.c_str(), 16384, image));
    ASSERT_EQ(image.width, 640u);
    ASSERT_EQ(image.pixels.size(), written.bytes.size());
    // Rows may come in either order; each row's bytes must be one of the written rows.
    const std::size_t row = 640 * 4;
    for (std::size_t y : {std::size_t{0}, std::size_t{239}, std::size_t{479}}) {
        const unsigned char* got = image.pixels.data() + y * row;
        const unsigned char* same = written.bytes.data() + y * row;
        const unsigned char* flipped = written.bytes.data() + (479 - y) * row;
        EXPECT_TRUE(std::equal(got, got + row, same) || std::equal(got, got + row, flipped)) << y;
    }
    decoder.end();
}

// Hostile texture lists under small budgets, so that no case waits long: which entries still
// decode shows whether each budget held.
TEST(ImageDecoderTest, HostileListsCostBoundedTimeAndMemory) {
    const std::string crate = samples + "crate.png", loop = hostile + "hang-png.png";
    TempFolder folder;
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
