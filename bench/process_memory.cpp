#include "bench/process_memory.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

long long statusBytes(const char* key) {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status) return -1;
    char line[256];
    long long kilobytes = -1;
    const std::size_t keyLength = std::strlen(key);
    while (kilobytes < 0 && std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, key, keyLength) == 0 && line[keyLength] == ':')
            std::sscanf(line + keyLength + 1, "%lld", &kilobytes);
    }
    std::fclose(status);
    return kilobytes < 0 ? -1 : kilobytes * 1024;
}

bool resetPeakResident() {
    const int file = open("/proc/self/clear_refs", O_WRONLY);
    if (file < 0) return false;
    const bool ok = write(file, "5", 1) == 1;
    close(file);
    return ok;
}

bool runAndCapture(const char* const* argv, std::string& output) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return false;
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        execv(argv[0], const_cast<char* const*>(argv));
        _exit(127);
    }
    close(pipeEnds[1]);
    char buffer[4096];
    ssize_t count;
    while (child > 0 && (count = read(pipeEnds[0], buffer, sizeof buffer)) > 0)
        output.append(buffer, count);
    close(pipeEnds[0]);
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}
