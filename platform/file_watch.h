#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

// Changes to a list of files, seen through inotify on the folders that hold them: editors and
// converters often write a new file and rename it over the old one, which a watch on the file
// itself would lose. Nothing runs on its own: the owner waits for fd() to be readable (in the
// thread that runs the window) and calls readChanges().
class FileWatch {
  public:
    FileWatch() = default;
    ~FileWatch();
    FileWatch(const FileWatch&) = delete;
    FileWatch& operator=(const FileWatch&) = delete;

    // Replaces the list; an empty list stops watching. False when no folder of the list could
    // be watched, and then nothing is.
    bool watch(const std::vector<std::string>& paths);
    void stop();
    // The descriptor to wait on for reading; -1 while nothing is watched.
    int fd() const { return descriptor; }
    // Takes in what happened since the last call; true when one of the files was written,
    // created, touched or replaced by a rename (or when so much happened that the system lost
    // count).
    bool readChanges();

  private:
    bool add(const std::string& folder, const std::string& name);

    int descriptor = -1;
    // The names of the listed files, by the watch on their folder.
    std::map<int, std::set<std::string>> namesByWatch;
};
