#pragma once

#include "platform/win32/win32_services.h"
#include "platform/win32/windows_api.h"

struct Win32Services::State {
    HINSTANCE instance = nullptr;
    // The pixel format asked for last: SetPixelFormat gets the same descriptor.
    PIXELFORMATDESCRIPTOR requestedFormat{};
    // The message GetMessage returned last, whole (time and pointer position too), for
    // TranslateMessage and DispatchMessage.
    MSG lastMessage{};
    bool haveLastMessage = false;
    bool comInitialised = false;
};

inline HWND asWindow(void* handle) {
    return static_cast<HWND>(handle);
}

inline HDC asDeviceContext(void* handle) {
    return static_cast<HDC>(handle);
}
