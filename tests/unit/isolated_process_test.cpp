#include "platform/isolated_process.h"
#include "platform/process_launcher.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
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
// The probes below answer with what they got, so a filter or a descriptor that lets one through
// shows as an answer. While they run, the test's standard error is a readable and writable file
// that holds "hello", as a terminal or a file opened read-write would be.
int statsAPathItWasNotGiven(int requests, int answers) {
    int file = nextFile(requests);
    struct stat info = {};
    return syscall(SYS_newfstatat, AT_FDCWD, "/etc/shadow", &info, AT_EMPTY_PATH) == 0 &&
                   answerWithTheFile(file, answers)
               ? 0
               : 1;
}
int readsItsParentsStandardError(int requests, int answers) {
    nextFile(requests);
    return lseek(STDERR_FILENO, 0, SEEK_SET) == 0 && answerWithTheFile(STDERR_FILENO, answers) ? 0
                                                                                               : 1;
}
bool mapsToWrite(int file, int answers) {
    void* mapped = mmap(nullptr, 5, PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
    return mapped != MAP_FAILED && write(answers, mapped, 5) == 5;
}
int mapsItsParentsStandardErrorToWrite(int requests, int answers) {
    nextFile(requests);
    return mapsToWrite(STDERR_FILENO, answers) ? 0 : 1;
}
int mapsAFileItWasGivenToWrite(int requests, int answers) {
    return mapsToWrite(nextFile(requests), answers) ? 0 : 1;
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
    {"asks about a path", statsAPathItWasNotGiven, false, true},
    {"reads its parent's standard error", readsItsParentsStandardError, false, true},
    {"maps its parent's standard error to write", mapsItsParentsStandardErrorToWrite, false, true},
    {"maps a file it was given to write", mapsAFileItWasGivenToWrite, false, true},
};

// Standard error replaced by another file for as long as the object lives.
class StandardErrorAs {
  public:
    explicit StandardErrorAs(const char* path)
        : saved(dup(STDERR_FILENO)), file(open(path, O_RDWR)) {
        if (saved >= 0 && file >= 0) dup2(file, STDERR_FILENO);
    }
    ~StandardErrorAs() {
        if (saved >= 0) dup2(saved, STDERR_FILENO);
        close(saved);
        close(file);
    }
    bool replaced() const { return saved >= 0 && file >= 0; }

  private:
    int saved;
    int file;
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
    StandardErrorAs readableFile(path);
    ASSERT_TRUE(readableFile.replaced());
    // Forked from this process, and from a launcher made for the work: the same behaviours, and
    // neither leaves a child of ours behind.
    for (const bool throughLauncher : {false, true})
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            SCOPED_TRACE(throughLauncher ? "through a launcher" : "forked from this process");
            {
                ProcessLauncher launcher(c.work, nullptr);
                IsolatedProcess child;
                ASSERT_TRUE(child.start(c.work, limits, throughLauncher ? &launcher : nullptr));
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

// Answers each request with its own process id and its parent's (no filter: it asks the kernel).
int answersWhoItIs(int requests, int answers) {
    for (int file; (file = nextFile(requests)) >= 0;) {
        close(file);
        const pid_t ids[2] = {getpid(), getppid()};
        if (write(answers, ids, sizeof ids) != sizeof ids) return 1;
    }
    return 0;
}

bool askWhoItIs(IsolatedProcess& child, pid_t& id, pid_t& parent) {
    pid_t ids[2] = {};
    child.awaitAnswer();
    if (!child.send(STDIN_FILENO, "x", 1) || !child.read(ids, sizeof ids)) return false;
    id = ids[0];
    parent = ids[1];
    return true;
}

bool gone(pid_t process) {
    for (int tries = 0; tries < 200 && kill(process, 0) == 0; ++tries)
        usleep(10000);
    return kill(process, 0) != 0 && errno == ESRCH;
}

// The launcher's children are not ours; when the launcher goes (here killed), they go with it,
// and later children are forked from this process instead. A launcher destroyed with a child
// still running ends that child too.
TEST(ProcessLauncherTest, ChildrenAreTheLaunchersAndEndWithItAndLaterOnesAreForkedHere) {
    IsolationLimits limits;
    limits.systemCallFilter = false;
    limits.requestMilliseconds = 2000;
    pid_t id = 0, parent = 0;
    {
        ProcessLauncher launcher(answersWhoItIs, nullptr);
        IsolatedProcess child;
        ASSERT_TRUE(child.start(answersWhoItIs, limits, &launcher));
        ASSERT_TRUE(askWhoItIs(child, id, parent));
        EXPECT_NE(parent, getpid());
        EXPECT_TRUE(noChildLeft());
        ASSERT_EQ(kill(parent, SIGKILL), 0);
        EXPECT_TRUE(gone(id));
        EXPECT_TRUE(child.stop());
        ASSERT_TRUE(child.start(answersWhoItIs, limits, &launcher));
        ASSERT_TRUE(askWhoItIs(child, id, parent));
        EXPECT_EQ(parent, getpid());
    }
    EXPECT_TRUE(noChildLeft());
    pid_t launched = 0;
    int requests = -1, answers = -1;
    {
        ProcessLauncher launcher(answersWhoItIs, nullptr);
        ASSERT_TRUE(launcher.launch(limits, launched, requests, answers));
        IsolatedProcess check;
        ASSERT_TRUE(check.start(answersWhoItIs, limits, &launcher));
        ASSERT_TRUE(askWhoItIs(check, id, parent));
    }
    EXPECT_TRUE(gone(launched));
    EXPECT_TRUE(gone(parent));
    close(requests);
    close(answers);
}

} // namespace
