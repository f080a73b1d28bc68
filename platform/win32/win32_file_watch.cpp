// Watching files through the change notifications of their folders, waited on in the message
// loop itself.
#include "platform/win32/win32_services.h"

#include "platform/win32/native_path_win32.h"
#include "platform/win32/win32_state.h"

namespace {

// A write changes the size or the time, a rename over the file its identity (the file index).
constexpr DWORD notifyFilter =
    FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE;
// MsgWaitForMultipleObjects waits on the message queue besides these.
constexpr std::size_t mostFolders = MAXIMUM_WAIT_OBJECTS - 1;

// Opened without asking for access, so that a writer's sharing rules do not stand in the way.
WatchedFileFacts factsOf(const std::wstring& path) {
    WatchedFileFacts facts;
    HANDLE file =
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return facts;
    facts.present = GetFileInformationByHandle(file, &facts.information) != FALSE;
    CloseHandle(file);
    return facts;
}

// The access time is left out: reading the file changes it.
bool sameFacts(const WatchedFileFacts& a, const WatchedFileFacts& b) {
    if (a.present != b.present) return false;
    if (!a.present) return true;
    const BY_HANDLE_FILE_INFORMATION& x = a.information;
    const BY_HANDLE_FILE_INFORMATION& y = b.information;
    return x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow &&
           x.nFileSizeHigh == y.nFileSizeHigh && x.nFileSizeLow == y.nFileSizeLow &&
           CompareFileTime(&x.ftLastWriteTime, &y.ftLastWriteTime) == 0;
}

// The file's full path (the current folder may change later) and its folder's, with the
// closing backslash.
bool splitFullPath(const char* path, std::wstring& file, std::wstring& folder) {
    std::wstring wide;
    if (!toWidePath(path, wide) || wide.empty()) return false;
    const DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (length == 0) return false;
    file.assign(length, L'\0');
    const DWORD written = GetFullPathNameW(wide.c_str(), length, &file[0], nullptr);
    if (written == 0 || written >= length) return false;
    file.resize(written);
    const std::size_t slash = file.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash + 1 == file.size()) return false;
    folder = file.substr(0, slash + 1);
    return true;
}

WatchedFolder* folderNamed(std::vector<WatchedFolder>& folders, const std::wstring& path) {
    for (WatchedFolder& folder : folders)
        if (lstrcmpiW(folder.path.c_str(), path.c_str()) == 0) return &folder;
    return nullptr;
}

} // namespace

bool Win32Services::watchFiles(WindowHandle window, const std::vector<std::string>& paths) {
    state->stopWatching();
    std::vector<WatchedFolder>& folders = state->watchedFolders;
    for (const std::string& path : paths) {
        std::wstring file, folderPath;
        if (!splitFullPath(path.c_str(), file, folderPath)) continue;
        WatchedFolder* folder = folderNamed(folders, folderPath);
        if (!folder) {
            if (folders.size() == mostFolders) continue;
            HANDLE notification =
                FindFirstChangeNotificationW(folderPath.c_str(), FALSE, notifyFilter);
            if (notification == INVALID_HANDLE_VALUE) continue;
            folder = &folders.emplace_back(WatchedFolder{folderPath, notification, {}});
        }
        folder->files.push_back({file, factsOf(file)});
    }
    if (folders.empty()) return false;
    state->watchingWindow = asWindow(window);
    return true;
}

void Win32Services::State::stopWatching() {
    for (WatchedFolder& folder : watchedFolders)
        FindCloseChangeNotification(folder.notification);
    watchedFolders.clear();
    watchingWindow = nullptr;
}

// The notification is set going again before the files are looked at: a change made while they
// are signals anew instead of slipping between the two. The message is posted, not sent:
// getMessage returns it like any other, and the window's procedure, which may well give a new
// list, runs outside this bookkeeping.
void Win32Services::State::folderChanged(std::size_t index) {
    WatchedFolder& folder = watchedFolders[index];
    const bool stillWatched = FindNextChangeNotification(folder.notification) != FALSE;
    bool changed = false;
    for (WatchedFile& file : folder.files) {
        const WatchedFileFacts now = factsOf(file.path);
        if (!sameFacts(now, file.facts)) changed = true;
        file.facts = now;
    }
    // A folder that cannot be watched any more (it was removed) would stay signalled.
    if (!stillWatched) {
        FindCloseChangeNotification(folder.notification);
        watchedFolders.erase(watchedFolders.begin() + static_cast<std::ptrdiff_t>(index));
    }
    if (changed) PostMessageA(watchingWindow, WM_FILE_CHANGED, 0, 0);
}

// Messages first, as GetMessageA takes them; the wait returns for a folder's notification or
// for anything that comes into the queue.
bool Win32Services::State::nextMessage(MSG& message) {
    for (;;) {
        if (watchedFolders.empty()) return GetMessageA(&message, nullptr, 0, 0) > 0;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return message.message != WM_QUIT;
        HANDLE notifications[mostFolders];
        const DWORD count = static_cast<DWORD>(watchedFolders.size());
        for (DWORD i = 0; i < count; ++i)
            notifications[i] = watchedFolders[i].notification;
        const DWORD woken =
            MsgWaitForMultipleObjects(count, notifications, FALSE, INFINITE, QS_ALLINPUT);
        if (woken < WAIT_OBJECT_0 + count) {
            folderChanged(woken - WAIT_OBJECT_0);
        } else if (woken != WAIT_OBJECT_0 + count) {
            // The wait itself failed: the messages go on without the watch.
            stopWatching();
        }
    }
}
