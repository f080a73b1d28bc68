#include "tests/support/tool_process.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

// argv for posix_spawn: pointers into words, ended by a null pointer.
std::vector<char*> argumentVector(std::vector<std::string>& words) {
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    return argv;
}

class SpawnActions {
  public:
    SpawnActions(const std::string& outPath, const std::string& errPath) {
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
    }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;

    const posix_spawn_file_actions_t* get() const { return &actions; }

  private:
    posix_spawn_file_actions_t actions;
};

int waitForExitStatus(pid_t pid) {
    int waitStatus = 0;
    pid_t waited;
    do
        waited = waitpid(pid, &waitStatus, 0);
    while (waited < 0 && errno == EINTR);
    if (waited != pid || !WIFEXITED(waitStatus)) return -1;
    return WEXITSTATUS(waitStatus);
}

} // namespace

ProcessRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const TempFolder& capture) {
    std::string outPath = capture.file("process.stdout");
    std::string errPath = capture.file("process.stderr");
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv = argumentVector(words);
    SpawnActions actions(outPath, errPath);
    pid_t pid = 0;
    int spawned = posix_spawn(&pid, program.c_str(), actions.get(), nullptr, argv.data(), environ);
    ProcessRun run;
    if (spawned != 0) {
        run.err = "cannot start " + program + ": " + std::strerror(spawned);
        return run;
    }
    run.status = waitForExitStatus(pid);
    run.out = readWholeFile(outPath);
    run.err = readWholeFile(errPath);
    return run;
}
