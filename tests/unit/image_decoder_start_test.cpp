#include "mesh/image_decoder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>

// Its own program, linked with the whole mesh library: nothing it holds may fork a launcher before
// main, and the helpers come from the program until main starts the decoder, from the launcher
// after.

namespace {

int launcherChannelsAtStart = -1;

// The program's ends of launcher channels: local packet sockets, which nothing else here opens.
int launcherChannels() {
    int count = 0;
    for (int file = 0; file < 1024; ++file) {
        int domain = 0, type = 0;
        socklen_t size = sizeof domain;
        if (getsockopt(file, SOL_SOCKET, SO_DOMAIN, &domain, &size) != 0) continue;
        size = sizeof type;
        if (getsockopt(file, SOL_SOCKET, SO_TYPE, &type, &size) == 0 && domain == AF_UNIX &&
            type == SOCK_SEQPACKET)
            ++count;
    }
    return count;
}

bool hasRunningChild() {
    return waitpid(-1, nullptr, WNOHANG) == 0;
}

TEST(ImageDecoderStartTest, HelpersComeFromTheProgramUntilMainStartsTheLauncher) {
    EXPECT_EQ(launcherChannelsAtStart, 0);
    const std::string crate = KORVALIN_SOURCE_DIR "/samples/crate.png";
    ImageDecoder decoder;
    DecodedImage image;
    ASSERT_TRUE(decoder.decode(crate.c_str(), 16384, image));
    EXPECT_TRUE(hasRunningChild());
    decoder.end();
    EXPECT_FALSE(hasRunningChild());

    startImageDecoder();
    EXPECT_EQ(launcherChannels(), 1);
    DecodedImage launched;
    ASSERT_TRUE(decoder.decode(crate.c_str(), 16384, launched));
    EXPECT_EQ(launched.pixels.size(), image.pixels.size());
    // The launcher's helper is not this program's child.
    EXPECT_FALSE(hasRunningChild());
    decoder.end();
}

} // namespace

int main(int argc, char** argv) {
    launcherChannelsAtStart = launcherChannels();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
