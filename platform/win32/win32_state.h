#pragma once

#include "platform/win32/win32_services.h"
#include "platform/win32/windows_api.h"

#include <string>
#include <vector>

// What a watched file was like when last seen: a write, a rename over it or its removal each
// change one of these.
struct WatchedFileFacts {
    bool present = false;
    BY_HANDLE_FILE_INFORMATION information{};
};

struct WatchedFile {
    std::wstring path;
    WatchedFileFacts facts;
};

// One change notification for each folder holding watched files.
struct WatchedFolder {
    std::wstring path;
    HANDLE notification = INVALID_HANDLE_VALUE;
    std::vector<WatchedFile> files;
};

// The window as it was before it went full screen.
struct WindowedLook {
    HWND window = nullptr;
    LONG style = 0;
    LONG extendedStyle = 0;
    WINDOWPLACEMENT placement{};
    HMENU menu = nullptr;
};

struct Win32Services::State {
    ~State() { stopWatching(); }

    // GetMessageA's answer: the next message, false once it is WM_QUIT. Meanwhile it waits on
    // the watched folders too and handles their notifications, so that the thread that runs
    // the window stays the only one (platform/win32/win32_file_watch.cpp).
    bool nextMessage(MSG& message);
    void folderChanged(std::size_t index);
    void stopWatching();

    HINSTANCE instance = nullptr;
    // The pixel format asked for last: SetPixelFormat gets the same descriptor.
    PIXELFORMATDESCRIPTOR requestedFormat{};
    // The message GetMessage returned last, whole (time and pointer position too), for
    // TranslateMessage and DispatchMessage.
    MSG lastMessage{};
    bool haveLastMessage = false;
    bool comInitialised = false;

    HWND watchingWindow = nullptr;
    std::vector<WatchedFolder> watchedFolders;
    // Set while a window is full screen.
    WindowedLook windowed;
};

inline HWND asWindow(void* handle) {
    return static_cast<HWND>(handle);
}

inline HDC asDeviceContext(void* handle) {
    return static_cast<HDC>(handle);
}
