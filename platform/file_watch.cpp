#include "platform/file_watch.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include <sys/inotify.h>
#include <unistd.h>

namespace {

// Written in place (each write, and the close after writing), created, renamed into place, or
// touched (a new time stamp is how some tools say "read me again").
constexpr std::uint32_t changeEvents =
    IN_MODIFY | IN_CLOSE_WRITE | IN_CREATE | IN_MOVED_TO | IN_ATTRIB;

struct FolderAndName {
    std::string folder;
    std::string name;
};

// False for a path that names no file in a folder ("", "dir/").
bool splitPath(const std::string& path, FolderAndName& parts) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        parts = {".", path};
    } else {
        parts = {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
    }
    return !parts.name.empty() && parts.name != "." && parts.name != "..";
}

// Where a symbolic link leads in the end, or an empty text when the path is not one.
std::string linkTarget(const std::string& path) {
    std::unique_ptr<char, decltype(&std::free)> resolved(realpath(path.c_str(), nullptr),
                                                         &std::free);
    if (!resolved) return {};
    return resolved.get();
}

} // namespace

FileWatch::~FileWatch() {
    stop();
}

void FileWatch::stop() {
    if (descriptor >= 0) close(descriptor);
    descriptor = -1;
    namesByWatch.clear();
}

// A fresh descriptor for each list: watches of the old list and its pending events go with the
// old one, even where both lists share a folder (inotify hands out one watch per folder).
bool FileWatch::watch(const std::vector<std::string>& paths) {
    stop();
    if (paths.empty()) return false;
    descriptor = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (descriptor < 0) return false;
    bool watching = false;
    for (const std::string& path : paths) {
        FolderAndName parts;
        if (!splitPath(path, parts)) continue;
        watching = add(parts.folder, parts.name) || watching;
        // A link is watched where it is and where it leads: either may be replaced.
        std::string target = linkTarget(path);
        if (!target.empty() && target != path && splitPath(target, parts))
            watching = add(parts.folder, parts.name) || watching;
    }
    if (!watching) stop();
    return watching;
}

bool FileWatch::add(const std::string& folder, const std::string& name) {
    int watch = inotify_add_watch(descriptor, folder.c_str(), changeEvents | IN_ONLYDIR);
    if (watch < 0) return false;
    namesByWatch[watch].insert(name);
    return true;
}

bool FileWatch::readChanges() {
    if (descriptor < 0) return false;
    bool changed = false;
    alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + NAME_MAX + 1)];
    for (;;) {
        ssize_t got = read(descriptor, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return changed;
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                changed = true;
                continue;
            }
            auto names = namesByWatch.find(event->wd);
            if (event->len > 0 && names != namesByWatch.end() && names->second.count(event->name))
                changed = true;
        }
    }
}
