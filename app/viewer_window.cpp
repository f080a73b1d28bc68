#include "app/viewer_window.h"

#include "app/viewer_state.h"
#include "app/window_proc.h"
#include "mesh/mesh_scene.h"
#include "platform/platform_services.h"
#include "render/viewport.h"
#include "resources/menu_template.h"
#include "resources/window_icon.h"

namespace {

constexpr const char* windowClassName = "OpenGL";
constexpr const char* windowTitle = "Korvalin";
constexpr PixelFormatRequest pixelFormatRequest = {true, true, 16, 16};

void showOpeningError(const char* message) {
    platformServices().messageBox(nullptr, message, "ERROR", MB_OK | MB_ICONEXCLAMATION);
}

void showClosingError(const char* message) {
    platformServices().messageBox(nullptr, message, "SHUTDOWN ERROR", MB_OK | MB_ICONINFORMATION);
}

// Past the class registration a failure releases the whole chain before its box.
bool failOpening(const char* message) {
    closeViewerWindow();
    showOpeningError(message);
    return false;
}

bool acquireWindowAndContext(int width, int height) {
    PlatformServices& platform = platformServices();
    mainWindow = platform.createWindow(windowClassName, windowTitle, width, height);
    if (!mainWindow) return failOpening("Window Creation Error.");
    deviceContext = platform.getDeviceContext(mainWindow);
    if (!deviceContext) return failOpening("Can't Create A GL Device Context.");
    int format = platform.choosePixelFormat(deviceContext, pixelFormatRequest);
    if (format == 0) return failOpening("Can't Find A Suitable PixelFormat.");
    if (!platform.setPixelFormat(deviceContext, format))
        return failOpening("Can't Set The PixelFormat.");
    glContext = platform.createGLContext(deviceContext);
    if (!glContext) return failOpening("Can't Create A GL Rendering Context.");
    if (!platform.makeCurrent(deviceContext, glContext))
        return failOpening("Can't Activate The GL Rendering Context.");
    return true;
}

} // namespace

bool openViewerWindow() {
    // The size asked for, not the client size that size messages report while opening.
    int width = windowWidth;
    int height = windowHeight;
    PlatformServices& platform = platformServices();
    if (!platform.registerWindowClass(
            {windowClassName, viewerWindowProc, &viewerMenu, &viewerIcon})) {
        showOpeningError("Failed To Register The Window Class.");
        return false;
    }
    if (!acquireWindowAndContext(width, height)) return false;
    platform.showWindow(mainWindow);
    float scale = platform.windowScale(mainWindow);
    resizeViewport(static_cast<int>(width * scale + 0.5f), static_cast<int>(height * scale + 0.5f));
    if (!setupScene()) return failOpening("Initialization Failed.");
    return true;
}

void closeViewerWindow() {
    PlatformServices& platform = platformServices();
    if (glContext) {
        if (!platform.releaseCurrentContext()) showClosingError("Release Of DC And RC Failed.");
        if (!platform.deleteGLContext(glContext))
            showClosingError("Release Rendering Context Failed.");
        glContext = nullptr;
    }
    if (deviceContext) {
        if (!platform.releaseDeviceContext(mainWindow, deviceContext))
            showClosingError("Release Device Context Failed.");
        deviceContext = nullptr;
    }
    if (mainWindow) {
        if (!platform.destroyWindow(mainWindow)) showClosingError("Could Not Release hWnd.");
        mainWindow = nullptr;
    }
    if (!platform.unregisterWindowClass(windowClassName))
        showClosingError("Could Not Unregister Class.");
    meshScene.releaseMesh();
}
