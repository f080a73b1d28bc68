// Checks the Windows backend's services for the viewer's keys under Wine, through the same
// calls the program makes: korvalin-platform-check FOLDER devil|no-devil, FOLDER a Windows
// path of an empty folder. Run by tests/wine/test_platform_services.sh, which also checks the
// PNG saved as FOLDER\shot.png. Prints each failure; exit 0 when none.
#include "platform/folders.h"
#include "platform/win32/native_path_win32.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/windows_api.h"

#include <IL/il.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

int failures = 0;

void check(bool passed, const char* what) {
    if (!passed) {
        std::printf("FAIL: %s\n", what);
        ++failures;
    }
}

// What the window procedure has seen.
int lastTimer = 0, filesChanged = 0, sizeWidth = 0, sizeHeight = 0;
constexpr unsigned ownTimer = 7, giveUpTimer = 99;

std::intptr_t procedure(WindowHandle window, unsigned message, std::uintptr_t wParam,
                        std::intptr_t lParam) {
    if (message == WM_TIMER) lastTimer = static_cast<int>(wParam);
    if (message == WM_FILE_CHANGED) ++filesChanged;
    if (message == WM_SIZE) sizeWidth = lowWord(lParam), sizeHeight = highWord(lParam);
    return DefWindowProcA(static_cast<HWND>(window), message, wParam, lParam);
}

// Runs the message loop until done() or, failing, for 20 s at most.
template <typename Done> bool pumpUntil(Win32Services& services, HWND window, Done done) {
    lastTimer = 0;
    services.setTimer(window, giveUpTimer, 20000);
    Message message;
    while (!done() && lastTimer != giveUpTimer && services.getMessage(message))
        services.dispatchMessage(message);
    services.killTimer(window, giveUpTimer);
    return done();
}

void writeFile(const std::string& path, const char* text) {
    FILE* file = std::fopen(path.c_str(), "ab");
    check(file && std::fputs(text, file) >= 0 && std::fclose(file) == 0, "writing a file");
}

void checkFolders(const std::string& folder) {
    // A name beyond the Windows code pages, to be spelled in UTF-8 both ways.
    const std::string named[] = {"a.msh", "b.msh", "\xd0\xbc\xd0\xb8\xd1\x80.msh"};
    for (const std::string& name : named)
        writeFile(folder + "\\" + name, "x");
    check(makeFolder((folder + "\\sub").c_str()), "makeFolder of a new folder");
    check(makeFolder((folder + "\\sub").c_str()), "makeFolder of a folder that is there");
    check(!makeFolder((folder + "\\a.msh").c_str()), "makeFolder where a file is");
    check(!makeFolder((folder + "\\none\\sub").c_str()), "makeFolder without a parent");
    std::vector<std::string> names;
    check(filesInFolder(folder.c_str(), names), "filesInFolder");
    std::sort(names.begin(), names.end());
    check(names == std::vector<std::string>(std::begin(named), std::end(named)),
          "filesInFolder names the files alone, in UTF-8");
    check(!filesInFolder((folder + "\\none").c_str(), names), "filesInFolder of no folder");
}

void checkPictures(Win32Services& services) {
    char path[MAX_PATH];
    check(services.picturesDirectory(path, sizeof path), "picturesDirectory");
    const DWORD attributes = GetFileAttributesA(path);
    check(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY),
          "the pictures folder is a folder");
    check(!services.picturesDirectory(path, std::strlen(path)), "picturesDirectory too long");
    std::printf("pictures: %s\n", path);
}

void checkTimer(Win32Services& services, HWND window) {
    check(services.setTimer(window, ownTimer, 10), "setTimer");
    check(pumpUntil(services, window, [] { return lastTimer == int{ownTimer}; }), "WM_TIMER");
    check(services.killTimer(window, ownTimer), "killTimer");
    check(!services.killTimer(window, ownTimer), "killTimer of no timer");
}

bool sameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void checkFullScreen(Win32Services& services, HWND window) {
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_STRING, 1, "File");
    SetMenu(window, bar);
    RECT before, client, after;
    GetWindowRect(window, &before);
    GetClientRect(window, &client);
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    check(services.setFullScreen(window, true), "setFullScreen on");
    GetWindowRect(window, &after);
    check(sameRect(after, screen) && !GetMenu(window), "full screen: whole screen, no menu");
    check(sizeWidth == screen.right && sizeHeight == screen.bottom, "full screen: WM_SIZE");
    check(services.setFullScreen(window, false), "setFullScreen off");
    GetWindowRect(window, &after);
    check(sameRect(after, before) && GetMenu(window) == bar &&
              GetWindowLongA(window, GWL_STYLE) == style,
          "windowed again: place, menu and frame");
    check(sizeWidth == client.right && sizeHeight == client.bottom, "windowed again: WM_SIZE");
}

void checkWatch(Win32Services& services, HWND window, const std::string& folder) {
    const std::string watched = folder + "\\watched.msh", later = folder + "\\later.png";
    std::wstring wideWatched;
    check(toWidePath(watched.c_str(), wideWatched), "the folder's path");
    const std::wstring wideNew = wideWatched + L".new";
    writeFile(watched, "first");
    check(services.watchFiles(window, {watched, later}), "watchFiles");
    // Written, created, and replaced by a rename with the same size and time.
    for (int step = 0; step < 3; ++step) {
        filesChanged = 0;
        if (step == 0) writeFile(watched, " more");
        if (step == 1) writeFile(later, "new");
        if (step == 2) {
            writeFile(folder + "\\watched.msh.new", "first more");
            WIN32_FILE_ATTRIBUTE_DATA old;
            GetFileAttributesExW(wideWatched.c_str(), GetFileExInfoStandard, &old);
            HANDLE file = CreateFileW(wideNew.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
            SetFileTime(file, nullptr, nullptr, &old.ftLastWriteTime);
            CloseHandle(file);
            MoveFileExW(wideNew.c_str(), wideWatched.c_str(), MOVEFILE_REPLACE_EXISTING);
        }
        static const char* const what[] = {"WM_FILE_CHANGED after a write",
                                           "WM_FILE_CHANGED after a creation",
                                           "WM_FILE_CHANGED after a rename over the file"};
        check(pumpUntil(services, window, [] { return filesChanged > 0; }), what[step]);
    }
    check(!services.watchFiles(window, {folder + "\\none\\file.msh"}), "watchFiles of no folder");
    check(!services.watchFiles(window, {}), "watchFiles of no file");
}

void checkSaving(const std::string& folder, bool withDevil) {
    const std::string path = folder + "\\shot.png";
    // One column: red at the bottom row, blue at the top, in GL's order (bottom row first).
    unsigned char pixels[] = {255, 0, 0, 0, 0, 255};
    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    const bool made = ilTexImage(1, 2, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, pixels);
    ilRegisterOrigin(IL_ORIGIN_LOWER_LEFT);
    const bool saved = ilEnable(IL_FILE_OVERWRITE) && ilSave(IL_PNG, path.c_str());
    unsigned char lump[1024];
    const bool savedToMemory = ilSaveL(IL_PNG, lump, sizeof lump) > 0;
    ilDeleteImages(1, &image);
    const bool there = GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (withDevil) {
        check(made && saved && savedToMemory && there, "saving a PNG through DevIL.dll");
    } else {
        check(!made && !saved && !savedToMemory && !there && !ilDisable(IL_FILE_OVERWRITE),
              "without DevIL.dll saving fails");
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::printf("usage: korvalin-platform-check FOLDER devil|no-devil\n");
        return 2;
    }
    const std::string folder = argv[1];
    Win32Services services;
    checkFolders(folder);
    checkPictures(services);
    check(services.registerWindowClass({"KorvalinCheck", procedure, nullptr}), "window class");
    HWND window = static_cast<HWND>(services.createWindow("KorvalinCheck", "Check", 320, 240));
    check(window != nullptr, "window");
    if (window) {
        services.showWindow(window);
        checkTimer(services, window);
        checkFullScreen(services, window);
        checkWatch(services, window, folder);
        services.destroyWindow(window);
    }
    checkSaving(folder, std::strcmp(argv[2], "devil") == 0);
    std::printf("%d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
