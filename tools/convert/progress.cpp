#include "tools/convert/progress.h"

#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

Progress::Progress(long long inputBytes, bool toTerminal, std::FILE* stream)
    : out(stream), on(toTerminal && inputBytes > largeInputBytes) {}

bool Progress::stderrIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

void Progress::reach(double fraction) {
    if (!on || !(fraction >= 0)) return;
    const int tenths = fraction >= 1 ? 10 : static_cast<int>(fraction * 10);
    // One line for every tenth passed, also when a step passes several.
    while (tenthsShown < tenths) {
        ++tenthsShown;
        std::fprintf(out, "korvalin-convert: %d%%\n", tenthsShown * 10);
    }
    std::fflush(out);
}

std::function<void(double)> Progress::span(double from, double to) {
    return [this, from, to](double share) {
        if (share > 1) share = 1;
        if (share >= 0) reach(from + (to - from) * share);
    };
}

namespace {

// The read position of the first descriptor of this process open on the file (device, inode).
long long readPosition(dev_t device, ino_t inode) {
    DIR* descriptors = opendir("/proc/self/fd");
    if (!descriptors) return -1;
    long long position = -1;
    while (dirent* entry = readdir(descriptors)) {
        if (entry->d_name[0] == '.') continue;
        std::string link = std::string("/proc/self/fd/") + entry->d_name;
        struct stat target = {};
        if (stat(link.c_str(), &target) != 0 || target.st_dev != device || target.st_ino != inode)
            continue;
        std::string infoPath = std::string("/proc/self/fdinfo/") + entry->d_name;
        if (std::FILE* info = std::fopen(infoPath.c_str(), "r")) {
            if (std::fscanf(info, "pos: %lld", &position) != 1) position = -1;
            std::fclose(info);
        }
        if (position >= 0) break;
    }
    closedir(descriptors);
    return position;
}

} // namespace

void FileReadWatcher::start(const std::string& path, std::function<void(double)> onShare) {
    struct stat file = {};
    if (stat(path.c_str(), &file) != 0 || file.st_size <= 0) return;
    running = true;
    thread = std::thread([this, file, onShare = std::move(onShare)] {
        while (running) {
            long long position = readPosition(file.st_dev, file.st_ino);
            if (position > 0) onShare(static_cast<double>(position) / file.st_size);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
}

void FileReadWatcher::stop() {
    running = false;
    if (thread.joinable()) thread.join();
}
