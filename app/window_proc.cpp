#include "app/window_proc.h"

#include "app/mesh_files.h"
#include "app/status_text.h"
#include "app/viewer_keys.h"
#include "app/viewer_state.h"
#include "app/viewer_window.h"
#include "mesh/mesh_scene.h"
#include "platform/platform_services.h"
#include "platform/window_messages.h"
#include "render/draw_pass.h"
#include "render/mouse_orbit.h"
#include "render/status_line.h"
#include "render/viewport.h"
#include "resources/about_text.h"
#include "resources/command_ids.h"
#include "resources/dialog_template.h"
#include "settings/open_mesh_command.h"
#include "settings/sensitivity_dialog.h"
#include "settings/settings_file.h"

namespace {

unsigned framesDrawn = 0;

std::intptr_t paint(WindowHandle window, std::uintptr_t wParam, std::intptr_t lParam) {
    PlatformServices& platform = platformServices();
    if (!paintEnabled || !platform.validateRect(window))
        return platform.defaultWindowProc(window, WM_PAINT, wParam, lParam);
    renderScene();
    drawStatusLine(statusText(), windowWidth, windowHeight);
    platform.swapBuffers(deviceContext);
    ++framesDrawn;
    return 0;
}

void close() {
    closeViewerWindow();
    saveSettings();
    platformServices().postQuitMessage(0);
}

void runCommand(WindowHandle window, unsigned commandId) {
    PlatformServices& platform = platformServices();
    switch (commandId) {
    case CMD_OPEN:
        openMeshCommand(mainWindow, paintEnabled);
        followShownMesh(window);
        break;
    case CMD_TEXTURES_DIR:
        meshScene.chooseTexturesDirectory();
        keepChosenTexturesDirectory();
        break;
    case CMD_QUIT:
        // Returns only once the whole close sequence has run.
        platform.sendMessage(window, WM_CLOSE, 0, 0);
        break;
    case CMD_ABOUT:
        platform.messageBox(window, aboutText, "About", MB_OK | MB_ICONINFORMATION);
        break;
    case CMD_SENSITIVITY:
        platform.dialogBox(sensitivityDialog, window, sensitivityDialogProc, 0);
        break;
    default:
        break;
    }
}

// The first file of a drop opens as a file chosen with File > Open... does; a path the
// chooser could not have given (too long) is ignored as a cancelled chooser is.
void openDroppedFile(DropHandle drop) {
    PlatformServices& platform = platformServices();
    char path[textFieldSize] = {};
    bool chosen = platform.dragQueryFile(drop, allDroppedFiles, nullptr, 0) > 0 &&
                  platform.dragQueryFile(drop, 0, path, sizeof path) > 0;
    platform.dragFinish(drop);
    if (chosen && openMeshPath(mainWindow, path, paintEnabled)) followShownMesh(mainWindow);
}

// A frame drawn at once, inside the handling of the message that asked for it.
void requestRepaint(WindowHandle window) {
    platformServices().sendMessage(window, WM_PAINT, 0, 0);
}

std::intptr_t handlePointer(WindowHandle window, unsigned message, std::uintptr_t wParam,
                            std::uintptr_t position) {
    int x = signedLowWord(position);
    int y = signedHighWord(position);
    switch (message) {
    case WM_RBUTTONDOWN:
        beginDrag(window, x, y);
        break;
    case WM_MOUSEMOVE:
        if (dragging) {
            dragTo(x, y);
            requestRepaint(window);
        }
        break;
    case WM_MOUSEWHEEL:
        // Whole notches only; the rest of a partial turn is not kept.
        zoomBy(signedHighWord(wParam) / WHEEL_DELTA);
        requestRepaint(window);
        break;
    default: // WM_RBUTTONUP, WM_MOUSELEAVE
        endDrag();
        break;
    }
    return 0;
}

// Neither the screen saver nor the monitor's power saving is started through this window.
bool isBlockedSystemCommand(std::uintptr_t command) {
    return command == SC_SCREENSAVE || command == SC_MONITORPOWER;
}

// What the user does takes the status line away.
bool isUserInput(unsigned message) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_COMMAND:
    case WM_RBUTTONDOWN:
    case WM_MOUSEWHEEL:
        return true;
    case WM_MOUSEMOVE:
        return dragging;
    default:
        return false;
    }
}

std::intptr_t handleMessage(WindowHandle window, unsigned message, std::uintptr_t wParam,
                            std::intptr_t lParam) {
    auto parameter = static_cast<std::uintptr_t>(lParam);
    switch (message) {
    case WM_SIZE:
        clientAreaWidth = static_cast<int>(lowWord(parameter));
        clientAreaHeight = static_cast<int>(highWord(parameter));
        resizeViewport(clientAreaWidth, clientAreaHeight);
        return 0;
    case WM_ACTIVATE:
        return 0;
    case WM_PAINT:
        return paint(window, wParam, lParam);
    case WM_CLOSE:
        close();
        return 0;
    case WM_COMMAND:
        runCommand(window, lowWord(wParam));
        return 0;
    case WM_DROPFILES:
        openDroppedFile(reinterpret_cast<DropHandle>(wParam));
        return 0;
    case WM_MOUSEMOVE:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MOUSEWHEEL:
    case WM_MOUSELEAVE:
        return handlePointer(window, message, wParam, parameter);
    case WM_SYSCOMMAND:
        if (isBlockedSystemCommand(wParam)) return 0;
        break;
    case WM_KEYDOWN:
        if (handleViewerKey(window, static_cast<unsigned>(wParam))) return 0;
        break;
    case WM_TIMER:
        if (onWatchTimer(window, static_cast<unsigned>(wParam))) return 0;
        break;
    case WM_FILE_CHANGED:
        onFileChanged(window);
        return 0;
    default:
        break;
    }
    return platformServices().defaultWindowProc(window, message, wParam, lParam);
}

} // namespace

std::intptr_t viewerWindowProc(WindowHandle window, unsigned message, std::uintptr_t wParam,
                               std::intptr_t lParam) {
    if (!isUserInput(message) || !clearStatus())
        return handleMessage(window, message, wParam, lParam);
    // A message that draws anyway draws without the status line; any other draws once for it.
    unsigned framesBefore = framesDrawn;
    std::intptr_t result = handleMessage(window, message, wParam, lParam);
    if (framesDrawn == framesBefore) requestRepaint(window);
    return result;
}
