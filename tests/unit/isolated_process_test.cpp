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

// Each child takes one request, then behaves in its own way; "hello" is the file's content.
int nextFile(int requests) {
    char message[16];
    return receiveRequest(requests, message, sizeof message);
}
bool answerWithTheFile(int file, int answers) {
    char content[5];
    return ::read(file, content, 5) == 5 && write(answers, content, 5) == 5;
}
int servesEveryRequest(int requests, int answers) {
    for (int file; (file = nextFile(requests)) >= 0;)
        if (!answerWithTheFile(file, answers)) return 1;
    return 0;
}
int answersTooLittle(int requests, int answers) {
    return nextFile(requests) >= 0 && write(answers, "hel", 3) == 3 ? 0 : 1;
}
int crashes(int requests, int) {
    nextFile(requests);
    std::raise(SIGSEGV);
    return 0;
}
int aborts(int requests, int) {
    nextFile(requests);
    std::abort();
}
int spins(int requests, int) {
    nextFile(requests);
    volatile bool forever = true;
    while (forever) {
    }
    return 0;
}
int opensAnotherFile(int requests, int answers) {
    int file = nextFile(requests);
    return open("/etc/hostname", O_RDONLY) >= 0 && answerWithTheFile(file, answers) ? 0 : 1;
}
int opensASocket(int requests, int answers) {
    int file = nextFile(requests);
    return socket(AF_UNIX, SOCK_STREAM, 0) >= 0 && answerWithTheFile(file, answers) ? 0 : 1;
}
int startsAProgram(int requests, int answers) {
    int file = nextFile(requests);
    char* const arguments[] = {const_cast<char*>("/bin/true"), nullptr};
    execv("/bin/true", arguments);
    return answerWithTheFile(file, answers) ? 0 : 1;
}
int writesToStandardError(int requests, int answers) {
    int file = nextFile(requests);
    return write(STDERR_FILENO, "x", 1) == 1 && answerWithTheFile(file, answers) ? 0 : 1;
}

struct Case {
    const char* what;
    IsolatedProcess::Work work;
    bool answers;      // "hello" comes back, and a second request is answered too
    bool endsByItself; // when not, the parent ends it at the deadline
};

const Case cases[] = {
    {"serves every request", servesEveryRequest, true, false},
    {"answers too little and leaves", answersTooLittle, false, true},
    {"crashes", crashes, false, true},
    {"aborts", aborts, false, true},
    {"runs until it is ended", spins, false, false},
    {"opens another file", opensAnotherFile, false, true},
    {"opens a socket", opensASocket, false, true},
    {"starts a program", startsAProgram, false, true},
    {"writes anywhere but to its parent", writesToStandardError, false, true},
};

bool noChildLeft() {
    return waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD;
}

bool askForHello(IsolatedProcess& child, int file) {
    char received[5] = {};
    lseek(file, 0, SEEK_SET);
    child.awaitAnswer();
    return child.send(file, "x", 1) && child.read(received, 5) &&
           std::memcmp(received, "hello", 5) == 0;
}

TEST(IsolatedProcessTest, TheParentLearnsOnlyAnswersOrTheirAbsenceAndNoChildOutlivesTheObject) {
    char path[] = "/tmp/korvalin-isolated-XXXXXX";
    int file = mkstemp(path);
    ASSERT_GE(file, 0);
    ASSERT_EQ(write(file, "hello", 5), 5);
    IsolationLimits limits;
    limits.requestMilliseconds = 500;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        {
            IsolatedProcess child;
            ASSERT_TRUE(child.start(c.work, limits));
            bool answered = askForHello(child, file);
            EXPECT_EQ(answered, c.answers);
            if (answered) {
                EXPECT_TRUE(askForHello(child, file));
            }
            EXPECT_EQ(child.stop(), c.endsByItself);
            EXPECT_FALSE(child.running());
        }
        EXPECT_TRUE(noChildLeft());
    }
    close(file);
    unlink(path);
}

TEST(IsolatedProcessTest, TheCpuLimitEndsAChildThatRunsTooLong) {
    IsolationLimits limits;
    limits.cpuSeconds = 1;
    limits.requestMilliseconds = 5000;
    IsolatedProcess child;
    ASSERT_TRUE(child.start(spins, limits));
    char received;
    child.awaitAnswer();
    EXPECT_TRUE(child.send(STDIN_FILENO, "x", 1));
    EXPECT_FALSE(child.read(&received, 1));
    EXPECT_GE(child.cpuSeconds(), 0.9);
    EXPECT_TRUE(child.stop());
    EXPECT_TRUE(noChildLeft());
}

} // namespace
