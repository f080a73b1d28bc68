// The window class, the window and its GL context.
#include "platform/win32/win32_services.h"

#include "platform/win32/win32_state.h"

namespace {

// The icon resource of resources/korvalin.rc.
constexpr WORD applicationIcon = 1;
constexpr DWORD windowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
// The frame is computed without WS_EX_ACCEPTFILES, which takes no room.
constexpr DWORD frameExtendedStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;

// The program registers one window class; its procedure is the program's own.
WindowProcedure programProcedure = nullptr;

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!programProcedure) return DefWindowProcA(window, message, wParam, lParam);
    return programProcedure(window, message, wParam, lParam);
}

HICON classIcon(HINSTANCE instance, bool ownIcon) {
    HICON icon = ownIcon ? LoadIconA(instance, MAKEINTRESOURCEA(applicationIcon)) : nullptr;
    return icon ? icon : LoadIconA(nullptr, IDI_WINLOGO);
}

} // namespace

bool Win32Services::registerWindowClass(const WindowClass& windowClass) {
    if (!windowClass.name || !windowClass.procedure) return false;
    WNDCLASSA registration{};
    registration.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    registration.lpfnWndProc = windowProcedure;
    registration.hInstance = state->instance;
    registration.hIcon = classIcon(state->instance, windowClass.icon != nullptr);
    registration.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    // Unregistering the class deletes the brush with it.
    registration.hbrBackground = CreateSolidBrush(RGB(0, 0, 0));
    if (windowClass.menu)
        registration.lpszMenuName = MAKEINTRESOURCEA(windowClass.menu->resourceId);
    registration.lpszClassName = windowClass.name;
    programProcedure = windowClass.procedure;
    if (RegisterClassA(&registration)) return true;
    DeleteObject(registration.hbrBackground);
    return false;
}

// The frame is added to the client size; the menu bar is not, so it takes its height from the
// client area.
WindowHandle Win32Services::createWindow(const char* className, const char* title, int clientWidth,
                                         int clientHeight) {
    RECT frame{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, frameExtendedStyle);
    return CreateWindowExA(frameExtendedStyle | WS_EX_ACCEPTFILES, className, title, windowStyle, 0,
                           0, frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                           state->instance, nullptr);
}

DeviceContextHandle Win32Services::getDeviceContext(WindowHandle window) {
    return GetDC(asWindow(window));
}

int Win32Services::choosePixelFormat(DeviceContextHandle dc, const PixelFormatRequest& request) {
    PIXELFORMATDESCRIPTOR& format = state->requestedFormat;
    format = PIXELFORMATDESCRIPTOR{};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL |
                     (request.doubleBuffer ? PFD_DOUBLEBUFFER : DWORD{0});
    format.iPixelType = request.rgba ? PFD_TYPE_RGBA : PFD_TYPE_COLORINDEX;
    format.cColorBits = static_cast<BYTE>(request.colourBits);
    format.cDepthBits = static_cast<BYTE>(request.depthBits);
    format.iLayerType = PFD_MAIN_PLANE;
    return ChoosePixelFormat(asDeviceContext(dc), &format);
}

bool Win32Services::setPixelFormat(DeviceContextHandle dc, int format) {
    return SetPixelFormat(asDeviceContext(dc), format, &state->requestedFormat) != FALSE;
}

GLContextHandle Win32Services::createGLContext(DeviceContextHandle dc) {
    return wglCreateContext(asDeviceContext(dc));
}

bool Win32Services::makeCurrent(DeviceContextHandle dc, GLContextHandle context) {
    return wglMakeCurrent(asDeviceContext(dc), static_cast<HGLRC>(context)) != FALSE;
}

void Win32Services::showWindow(WindowHandle window) {
    ShowWindow(asWindow(window), SW_SHOW);
    SetForegroundWindow(asWindow(window));
    SetFocus(asWindow(window));
}

bool Win32Services::releaseCurrentContext() {
    return wglMakeCurrent(nullptr, nullptr) != FALSE;
}

bool Win32Services::deleteGLContext(GLContextHandle context) {
    return wglDeleteContext(static_cast<HGLRC>(context)) != FALSE;
}

bool Win32Services::releaseDeviceContext(WindowHandle window, DeviceContextHandle dc) {
    return ReleaseDC(asWindow(window), asDeviceContext(dc)) == 1;
}

bool Win32Services::destroyWindow(WindowHandle window) {
    return DestroyWindow(asWindow(window)) != FALSE;
}

bool Win32Services::unregisterWindowClass(const char* className) {
    return UnregisterClassA(className, state->instance) != FALSE;
}

// The window keeps its own frame, menu and place to go back to; Windows sends WM_SIZE with the
// new client size each way.
bool Win32Services::setFullScreen(WindowHandle window, bool fullScreen) {
    HWND handle = asWindow(window);
    WindowedLook& windowed = state->windowed;
    if (!fullScreen) {
        if (windowed.window != handle) return windowed.window == nullptr;
        SetWindowLongA(handle, GWL_STYLE, windowed.style);
        SetWindowLongA(handle, GWL_EXSTYLE, windowed.extendedStyle);
        SetMenu(handle, windowed.menu);
        SetWindowPlacement(handle, &windowed.placement);
        SetWindowPos(handle, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
        windowed = WindowedLook{};
        return true;
    }
    if (windowed.window) return windowed.window == handle;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    WindowedLook look;
    look.window = handle;
    look.style = GetWindowLongA(handle, GWL_STYLE);
    look.extendedStyle = GetWindowLongA(handle, GWL_EXSTYLE);
    look.placement.length = sizeof look.placement;
    look.menu = GetMenu(handle);
    if (!GetWindowPlacement(handle, &look.placement) ||
        !GetMonitorInfoA(MonitorFromWindow(handle, MONITOR_DEFAULTTONEAREST), &monitor))
        return false;
    windowed = look;
    const RECT& screen = monitor.rcMonitor;
    SetWindowLongA(handle, GWL_STYLE, (look.style & ~WS_OVERLAPPEDWINDOW) | WS_POPUP);
    SetWindowLongA(handle, GWL_EXSTYLE,
                   look.extendedStyle &
                       ~(WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME));
    SetMenu(handle, nullptr);
    SetWindowPos(handle, HWND_TOP, screen.left, screen.top, screen.right - screen.left,
                 screen.bottom - screen.top, SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
    return true;
}
