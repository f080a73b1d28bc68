// Messages, drops, mouse tracking and the process.
#include "platform/win32/win32_services.h"

#include "platform/win32/native_path_win32.h"
#include "platform/win32/win32_state.h"

#include <algorithm>

Win32Services::Win32Services() : state(std::make_unique<State>()) {
    state->instance = GetModuleHandleA(nullptr);
    // The folder browser is a shell dialog, which wants COM on its thread.
    state->comInitialised = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    // The Sensitivity dialog's trackbars are common controls.
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
}

Win32Services::~Win32Services() {
    if (state->comInitialised) CoUninitialize();
}

bool Win32Services::getMessage(Message& message) {
    MSG& last = state->lastMessage;
    state->haveLastMessage = state->nextMessage(last);
    if (!state->haveLastMessage) return false;
    message = {last.hwnd, last.message, last.wParam, last.lParam};
    return true;
}

void Win32Services::dispatchMessage(const Message& message) {
    const MSG& last = state->lastMessage;
    bool isLast = state->haveLastMessage && last.hwnd == message.window &&
                  last.message == message.id && last.wParam == message.wParam &&
                  last.lParam == message.lParam;
    MSG record{};
    if (isLast) {
        record = last;
    } else {
        record.hwnd = asWindow(message.window);
        record.message = message.id;
        record.wParam = message.wParam;
        record.lParam = message.lParam;
    }
    TranslateMessage(&record);
    DispatchMessageA(&record);
}

void Win32Services::postQuitMessage(int exitCode) {
    PostQuitMessage(exitCode);
}

std::intptr_t Win32Services::sendMessage(WindowHandle window, unsigned message,
                                         std::uintptr_t wParam, std::intptr_t lParam) {
    return SendMessageA(asWindow(window), message, wParam, lParam);
}

std::intptr_t Win32Services::defaultWindowProc(WindowHandle window, unsigned message,
                                               std::uintptr_t wParam, std::intptr_t lParam) {
    return DefWindowProcA(asWindow(window), message, wParam, lParam);
}

bool Win32Services::validateRect(WindowHandle window) {
    return ValidateRect(asWindow(window), nullptr) != FALSE;
}

bool Win32Services::swapBuffers(DeviceContextHandle dc) {
    return SwapBuffers(asDeviceContext(dc)) != FALSE;
}

// A path that does not fit is refused, never cut.
unsigned Win32Services::dragQueryFile(DropHandle drop, unsigned index, char* path,
                                      std::size_t pathSize) {
    HDROP files = static_cast<HDROP>(drop);
    if (index == allDroppedFiles) return DragQueryFileA(files, 0xFFFFFFFFu, nullptr, 0);
    UINT length = DragQueryFileA(files, index, nullptr, 0);
    if (length == 0 || length >= pathSize) return 0;
    return DragQueryFileA(files, index, path, static_cast<UINT>(pathSize));
}

void Win32Services::dragFinish(DropHandle drop) {
    DragFinish(static_cast<HDROP>(drop));
}

bool Win32Services::trackMouseLeave(WindowHandle window) {
    TRACKMOUSEEVENT request{sizeof(TRACKMOUSEEVENT), TME_LEAVE, asWindow(window), HOVER_DEFAULT};
    return TrackMouseEvent(&request) != FALSE;
}

// GetCurrentDirectoryA answers the size it would need when the buffer is too small.
bool Win32Services::currentDirectory(char* buffer, std::size_t size) {
    DWORD capacity = static_cast<DWORD>(std::min<std::size_t>(size, MAXDWORD));
    DWORD length = GetCurrentDirectoryA(capacity, buffer);
    return length > 0 && length < capacity;
}

void Win32Services::exitProcess(int status) {
    ExitProcess(static_cast<UINT>(status));
}

bool Win32Services::setTimer(WindowHandle window, unsigned id, unsigned milliseconds) {
    return SetTimer(asWindow(window), id, milliseconds, nullptr) != 0;
}

bool Win32Services::killTimer(WindowHandle window, unsigned id) {
    return KillTimer(asWindow(window), id) != FALSE;
}

// CSIDL_MYPICTURES names the Pictures known folder from Windows XP on.
bool Win32Services::picturesDirectory(char* buffer, std::size_t size) {
    wchar_t folder[MAX_PATH];
    std::string path;
    if (SHGetFolderPathW(nullptr, CSIDL_MYPICTURES, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK ||
        !fromWidePath(folder, path) || path.empty() || path.size() >= size)
        return false;
    path.copy(buffer, path.size());
    buffer[path.size()] = '\0';
    return true;
}
