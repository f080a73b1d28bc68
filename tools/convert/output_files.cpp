#include "tools/convert/output_files.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Temporary files still to be removed if a signal ends the program, as plain C strings the
// handler can unlink without allocating.
constexpr int slotCount = 256;
std::atomic<char*> pendingTemporaries[slotCount];

void removeTemporariesAndDie(int signalNumber) {
    for (auto& slot : pendingTemporaries)
        if (char* path = slot.load()) unlink(path);
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

void installSignalHandlers() {
    static const bool installed = [] {
        for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
            struct sigaction action = {};
            action.sa_handler = removeTemporariesAndDie;
            sigemptyset(&action.sa_mask);
            sigaction(signalNumber, &action, nullptr);
        }
        return true;
    }();
    (void)installed;
}

int takeSlot(const std::string& path) {
    char* copy = strdup(path.c_str());
    for (int i = 0; copy && i < slotCount; ++i) {
        char* expected = nullptr;
        if (pendingTemporaries[i].compare_exchange_strong(expected, copy)) return i;
    }
    std::free(copy);
    return -1;
}

void releaseSlot(int slot) {
    if (slot < 0) return;
    std::free(pendingTemporaries[slot].exchange(nullptr));
}

unsigned temporaryCounter = 0;

// A new file named after the target; O_EXCL never opens one that is already there.
int createTemporary(const std::string& target, std::string& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name =
            target + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(temporaryCounter++);
        int descriptor = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0 || errno != EEXIST) return descriptor;
    }
    return -1;
}

} // namespace

OutputFiles::OutputFiles() {
    installSignalHandlers();
}

OutputFiles::~OutputFiles() {
    discard();
}

void OutputFiles::fail(const std::string& what, const std::string& path, int errorNumber) {
    if (!problem.empty()) return;
    problem = "cannot " + what + " " + path + ": " + std::strerror(errorNumber);
}

OutputFiles::Entry* OutputFiles::find(std::FILE* file) {
    for (Entry& entry : entries)
        if (file && entry.file == file) return &entry;
    return nullptr;
}

bool OutputFiles::holds(const std::string& target) const {
    for (const Entry& entry : entries)
        if (entry.target == target) return true;
    return false;
}

std::string OutputFiles::temporaryOf(const std::string& target) const {
    for (const Entry& entry : entries)
        if (entry.target == target) return entry.temporary;
    return {};
}

std::FILE* OutputFiles::open(const std::string& target) {
    for (Entry& entry : entries) {
        if (entry.target != target) continue;
        if (entry.file) std::fclose(entry.file);
        entry.file = std::fopen(entry.temporary.c_str(), "wb");
        if (!entry.file) fail("write", target, errno);
        return entry.file;
    }
    Entry entry;
    entry.target = target;
    int descriptor = createTemporary(target, entry.temporary);
    if (descriptor < 0) {
        fail("write", target, errno);
        return nullptr;
    }
    entry.slot = takeSlot(entry.temporary);
    entry.file = fdopen(descriptor, "wb");
    if (!entry.file) {
        int error = errno;
        ::close(descriptor);
        unlink(entry.temporary.c_str());
        releaseSlot(entry.slot);
        fail("write", target, error);
        return nullptr;
    }
    // Large writes: the text writer hands over whole blocks.
    std::setvbuf(entry.file, nullptr, _IOFBF, 1 << 16);
    entries.push_back(entry);
    return entries.back().file;
}

void OutputFiles::failed(std::FILE* file, int errorNumber) {
    if (Entry* entry = find(file)) fail("write", entry->target, errorNumber ? errorNumber : EIO);
}

bool OutputFiles::close(std::FILE* file) {
    Entry* entry = find(file);
    if (!entry) return false;
    entry->file = nullptr;
    errno = 0;
    bool written = std::fflush(file) == 0 && !std::ferror(file) && fsync(fileno(file)) == 0;
    int error = errno ? errno : EIO;
    // Some file systems report a failed write only when the file is closed.
    bool closed = std::fclose(file) == 0;
    if (closed && written) return true;
    fail("write", entry->target, written ? (errno ? errno : EIO) : error);
    return false;
}

bool OutputFiles::commit(const std::string& mainTarget) {
    if (!problem.empty()) return false;
    for (Entry& entry : entries)
        if (entry.file && !close(entry.file)) return false;
    // The files that come with OUT first, then OUT itself.
    for (int pass = 0; pass < 2; ++pass)
        for (Entry& entry : entries) {
            if ((entry.target == mainTarget) != (pass == 1) || entry.committed) continue;
            if (std::rename(entry.temporary.c_str(), entry.target.c_str()) != 0) {
                fail("write", entry.target, errno);
                return false;
            }
            entry.committed = true;
            releaseSlot(entry.slot);
            entry.slot = -1;
        }
    return true;
}

void OutputFiles::discard() {
    for (Entry& entry : entries) {
        if (entry.committed) continue;
        if (entry.file) std::fclose(entry.file);
        entry.file = nullptr;
        unlink(entry.temporary.c_str());
        releaseSlot(entry.slot);
        entry.slot = -1;
        entry.committed = true; // nothing more to do for it
    }
    entries.clear();
}
