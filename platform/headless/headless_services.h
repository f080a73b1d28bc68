#pragma once

#include "platform/platform_services.h"

// No display: no window can be opened, every dialog answers "cancelled", and message boxes
// are written to the standard error stream.
class HeadlessServices : public PlatformServices {
  public:
    bool registerWindowClass(const WindowClass&) override { return false; }
    WindowHandle createWindow(const char*, const char*, int, int) override { return nullptr; }
    DeviceContextHandle getDeviceContext(WindowHandle) override { return nullptr; }
    int choosePixelFormat(DeviceContextHandle, const PixelFormatRequest&) override { return 0; }
    bool setPixelFormat(DeviceContextHandle, int) override { return false; }
    GLContextHandle createGLContext(DeviceContextHandle) override { return nullptr; }
    bool makeCurrent(DeviceContextHandle, GLContextHandle) override { return false; }
    void showWindow(WindowHandle) override {}

    bool releaseCurrentContext() override { return true; }
    bool deleteGLContext(GLContextHandle) override { return false; }
    bool releaseDeviceContext(WindowHandle, DeviceContextHandle) override { return false; }
    bool destroyWindow(WindowHandle) override { return false; }
    bool unregisterWindowClass(const char*) override { return false; }

    bool getMessage(Message&) override { return false; }
    void dispatchMessage(const Message&) override {}
    void postQuitMessage(int) override {}
    std::intptr_t sendMessage(WindowHandle, unsigned, std::uintptr_t, std::intptr_t) override {
        return 0;
    }
    std::intptr_t defaultWindowProc(WindowHandle, unsigned, std::uintptr_t,
                                    std::intptr_t) override {
        return 0;
    }
    bool validateRect(WindowHandle) override { return false; }
    bool swapBuffers(DeviceContextHandle) override { return false; }

    int messageBox(WindowHandle owner, const char* text, const char* caption,
                   unsigned flags) override;
    bool browseForFolder(const char* title, char* path, std::size_t pathSize) override;

    bool openFileDialog(WindowHandle, const char*, const char*, char* path,
                        std::size_t pathSize) override;
    std::intptr_t dialogBox(const DialogTemplate&, WindowHandle, DialogProcedure,
                            std::intptr_t) override {
        return -1;
    }
    std::intptr_t sendDialogItemMessage(DialogHandle, unsigned, unsigned, std::uintptr_t,
                                        std::intptr_t) override {
        return 0;
    }
    bool endDialog(DialogHandle, std::intptr_t) override { return false; }

    unsigned dragQueryFile(DropHandle, unsigned, char*, std::size_t) override { return 0; }
    void dragFinish(DropHandle) override {}
    bool trackMouseLeave(WindowHandle) override { return false; }
    bool currentDirectory(char* buffer, std::size_t size) override;
    void exitProcess(int status) override;
};
