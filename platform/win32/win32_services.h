#pragma once

#include "platform/platform_services.h"

#include <memory>

// The real backend on Windows: each service is the Windows call of the same name, on the
// program's own window handles (WindowHandle and DialogHandle are HWNDs, DeviceContextHandle
// an HDC, GLContextHandle an HGLRC, DropHandle an HDROP).
class Win32Services : public PlatformServices {
  public:
    Win32Services();
    ~Win32Services() override;

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

    bool openFileDialog(WindowHandle owner, const char* filterLabel, const char* filterPattern,
                        char* path, std::size_t pathSize) override;
    std::intptr_t dialogBox(const DialogTemplate& dialogTemplate, WindowHandle owner,
                            DialogProcedure procedure, std::intptr_t parameter) override;
    std::intptr_t sendDialogItemMessage(DialogHandle dialog, unsigned controlId, unsigned message,
                                        std::uintptr_t wParam, std::intptr_t lParam) override;
    bool endDialog(DialogHandle dialog, std::intptr_t result) override;

    unsigned dragQueryFile(DropHandle drop, unsigned index, char* path,
                           std::size_t pathSize) override;
    void dragFinish(DropHandle drop) override;
    bool trackMouseLeave(WindowHandle window) override;
    bool currentDirectory(char* buffer, std::size_t size) override;
    void exitProcess(int status) override;

    bool setTimer(WindowHandle window, unsigned id, unsigned milliseconds) override;
    bool killTimer(WindowHandle window, unsigned id) override;
    bool setFullScreen(WindowHandle window, bool fullScreen) override;
    bool picturesDirectory(char* buffer, std::size_t size) override;
    bool watchFiles(WindowHandle window, const std::vector<std::string>& paths) override;

  private:
    // What the services keep in Windows' own types (platform/win32/win32_state.h).
    struct State;
    std::unique_ptr<State> state;
};
