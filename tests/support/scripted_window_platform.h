#pragma once

#include "platform/platform_services.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

// A platform that a test drives step by step. Every call the program makes is recorded in
// order as a readable line; any step can be told to fail by its name; handles are fake
// non-null addresses, named "window", "dc" and "gl" in the record. Sent and dispatched messages
// go at once to the procedure of the registered window class. Installs itself for its lifetime.
class ScriptedWindowPlatform : public PlatformServices {
  public:
    ScriptedWindowPlatform();
    ~ScriptedWindowPlatform() override;
    ScriptedWindowPlatform(const ScriptedWindowPlatform&) = delete;
    ScriptedWindowPlatform& operator=(const ScriptedWindowPlatform&) = delete;

    // The handles this platform gives out.
    WindowHandle window() { return &windowTag; }
    DeviceContextHandle dc() { return &dcTag; }
    GLContextHandle gl() { return &glTag; }
    static constexpr int pixelFormat = 7;

    // Makes the step of that name ("createWindow", "validateRect", ...) fail from now on.
    void fail(const std::string& step) { failingSteps.insert(step); }

    // The lines recorded so far, e.g. "createWindow OpenGL Korvalin 640x480",
    // "messageBox ERROR|Window Creation Error.|0x30|owner=none", "default 0x000F window 0 0".
    std::vector<std::string> calls;
    // Runs on every call, right after its line is recorded and before the call answers: a test
    // can look at the program's state at that moment.
    std::function<void(const std::string& call)> onCall;

    // What the script answers.
    std::intptr_t defaultAnswer = 0;  // defaultWindowProc
    std::string folderAnswer;         // browseForFolder; empty = the user cancels
    std::string directory = "/start"; // currentDirectory
    std::deque<Message> queue;        // getMessage hands these out until a quit was posted

    // showWindow sends the procedure a WM_SIZE with this client size (a menu bar takes some of
    // the height asked for), then runs afterShow when set.
    int shownClientWidth = 640;
    int shownClientHeight = 455;
    std::function<void()> afterShow;

    // The class as last registered; its procedure receives the messages.
    WindowClass registeredClass{};
    PixelFormatRequest pixelFormatRequest{};
    bool quitPosted = false;

    bool registerWindowClass(const WindowClass& windowClass) override;
    WindowHandle createWindow(const char* className, const char* title, int clientWidth,
                              int clientHeight) override;
    DeviceContextHandle getDeviceContext(WindowHandle window) override;
    int choosePixelFormat(DeviceContextHandle dc, const PixelFormatRequest& request) override;
    bool setPixelFormat(DeviceContextHandle dc, int format) override;
    GLContextHandle createGLContext(DeviceContextHandle dc) override;
    bool makeCurrent(DeviceContextHandle dc, GLContextHandle context) override;
    void showWindow(WindowHandle window) override;

    bool releaseCurrentContext() override;
    bool deleteGLContext(GLContextHandle context) override;
    bool releaseDeviceContext(WindowHandle window, DeviceContextHandle dc) override;
    bool destroyWindow(WindowHandle window) override;
    bool unregisterWindowClass(const char* className) override;

    bool getMessage(Message& message) override;
    void dispatchMessage(const Message& message) override;
    void postQuitMessage(int exitCode) override;
    std::intptr_t sendMessage(WindowHandle window, unsigned message, std::uintptr_t wParam,
                              std::intptr_t lParam) override;
    std::intptr_t defaultWindowProc(WindowHandle window, unsigned message, std::uintptr_t wParam,
                                    std::intptr_t lParam) override;
    bool validateRect(WindowHandle window) override;
    bool swapBuffers(DeviceContextHandle dc) override;

    int messageBox(WindowHandle owner, const char* text, const char* caption,
                   unsigned flags) override;
    bool browseForFolder(const char* title, char* path, std::size_t pathSize) override;

    bool trackMouseLeave(WindowHandle window) override;
    bool currentDirectory(char* buffer, std::size_t size) override;

  private:
    bool succeeds(const std::string& step) const { return failingSteps.count(step) == 0; }
    void record(const std::string& call);
    std::string nameOf(const void* handle) const;
    std::intptr_t deliver(WindowHandle window, unsigned message, std::uintptr_t wParam,
                          std::intptr_t lParam);

    char windowTag = 0;
    char dcTag = 0;
    char glTag = 0;
    std::set<std::string> failingSteps;
};

// A message number as the record writes it: "0x000F".
std::string messageName(unsigned message);
