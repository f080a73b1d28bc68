#include "platform/isolated_process.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int writesHello(int, int output, const char*) {
    return write(output, "hello", 5) == 5 ? 0 : 1;
}
int writesHelloAndMore(int, int output, const char*) {
    return write(output, "hello!", 6) == 6 ? 0 : 1;
}
int writesTooLittle(int, int output, const char*) {
    return write(output, "hel", 3) == 3 ? 0 : 1;
}
int writesHelloThenFails(int file, int output, const char* path) {
    return writesHello(file, output, path) == 0 ? 3 : 1;
}
int crashes(int, int, const char*) {
    std::raise(SIGSEGV);
    return 0;
}
int aborts(int, int, const char*) {
    std::abort();
}
int spins(int, int, const char*) {
    volatile bool forever = true;
    while (forever) {
    }
    return 0;
}
int opensAnotherFile(int, int output, const char*) {
    int other = open("/etc/hostname", O_RDONLY);
    return other >= 0 && write(output, "hello", 5) == 5 ? 0 : 1;
}
int opensASocket(int, int output, const char*) {
    int socketEnd = socket(AF_UNIX, SOCK_STREAM, 0);
    return socketEnd >= 0 && write(output, "hello", 5) == 5 ? 0 : 1;
}
int startsAProgram(int, int output, const char*) {
    char* const arguments[] = {const_cast<char*>("/bin/true"), nullptr};
    execv("/bin/true", arguments);
    return write(output, "hello", 5) == 5 ? 0 : 1;
}
int writesToStandardError(int, int output, const char*) {
    return write(STDERR_FILENO, "x", 1) == 1 && write(output, "hello", 5) == 5 ? 0 : 1;
}
int readsItsFile(int file, int output, const char*) {
    char first[5];
    return ::read(file, first, 5) == 5 && write(output, first, 5) == 5 ? 0 : 1;
}

struct Case {
    const char* what;
    IsolatedProcess::Work work;
    bool readsHello; // the first five bytes arrive as "hello"
    bool finishes;   // the output then ends and the child exits with status 0
};

const Case cases[] = {
    {"writes and exits", writesHello, true, true},
    {"reads the file it was given", readsItsFile, true, true},
    {"writes more than asked for", writesHelloAndMore, true, false},
    {"writes too little", writesTooLittle, false, false},
    {"exits with a failure status", writesHelloThenFails, true, false},
    {"crashes", crashes, false, false},
    {"aborts", aborts, false, false},
    {"runs until it is ended", spins, false, false},
    {"opens another file", opensAnotherFile, false, false},
    {"opens a socket", opensASocket, false, false},
    {"starts a program", startsAProgram, false, false},
    {"writes anywhere but to its parent", writesToStandardError, false, false},
};

bool noChildLeft() {
    return waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD;
}

TEST(IsolatedProcessTest, TheParentLearnsOnlySuccessOrFailureAndNoChildOutlivesTheObject) {
    char path[] = "/tmp/korvalin-isolated-XXXXXX";
    int file = mkstemp(path);
    ASSERT_GE(file, 0);
    ASSERT_EQ(write(file, "hello", 5), 5);
    close(file);
    // Short limits, so the spinning child is ended quickly.
    IsolationLimits limits;
    limits.cpuSeconds = 1;
    limits.wallMilliseconds = 3000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        {
            IsolatedProcess child;
            ASSERT_TRUE(child.start(path, c.work, limits));
            char received[5] = {};
            bool readHello = child.read(received, 5) && std::memcmp(received, "hello", 5) == 0;
            EXPECT_EQ(readHello, c.readsHello);
            if (readHello) {
                EXPECT_EQ(child.finish(), c.finishes);
            }
        }
        EXPECT_TRUE(noChildLeft());
    }
    unlink(path);
}

TEST(IsolatedProcessTest, AMissingFileFailsTheStartedChild) {
    IsolatedProcess child;
    char received[5];
    EXPECT_TRUE(child.start("/nonexistent/image.png", writesHello, IsolationLimits{}));
    EXPECT_FALSE(child.read(received, 5));
}

TEST(IsolatedProcessTest, TheWallClockEndsAChildThatOutlivesItsDeadline) {
    IsolationLimits limits;
    limits.cpuSeconds = 60;
    limits.wallMilliseconds = 300;
    IsolatedProcess child;
    ASSERT_TRUE(child.start("/dev/null", spins, limits));
    char received;
    EXPECT_FALSE(child.read(&received, 1));
    EXPECT_FALSE(child.finish());
    EXPECT_TRUE(noChildLeft());
}

} // namespace
