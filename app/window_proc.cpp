#include "app/window_proc.h"

#include "app/viewer_state.h"
#include "app/viewer_window.h"
#include "mesh/mesh_scene.h"
#include "platform/platform_services.h"
#include "platform/window_messages.h"
#include "render/draw_pass.h"
#include "render/viewport.h"
#include "resources/about_text.h"
#include "resources/command_ids.h"
#include "settings/settings_file.h"

namespace {

std::intptr_t paint(WindowHandle window, std::uintptr_t wParam, std::intptr_t lParam) {
    PlatformServices& platform = platformServices();
    if (!paintEnabled || !platform.validateRect(window))
        return platform.defaultWindowProc(window, WM_PAINT, wParam, lParam);
    renderScene();
    platform.swapBuffers(deviceContext);
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
    case CMD_TEXTURES_DIR:
        meshScene.chooseTexturesDirectory();
        break;
    case CMD_QUIT:
        // Returns only once the whole close sequence has run.
        platform.sendMessage(window, WM_CLOSE, 0, 0);
        break;
    case CMD_ABOUT:
        platform.messageBox(window, aboutText, "About", MB_OK | MB_ICONINFORMATION);
        break;
    default:
        break;
    }
}

// Neither the screen saver nor the monitor's power saving is started through this window.
bool isBlockedSystemCommand(std::uintptr_t command) {
    return command == SC_SCREENSAVE || command == SC_MONITORPOWER;
}

} // namespace

std::intptr_t viewerWindowProc(WindowHandle window, unsigned message, std::uintptr_t wParam,
                               std::intptr_t lParam) {
    auto parameter = static_cast<std::uintptr_t>(lParam);
    switch (message) {
    case WM_SIZE:
        resizeViewport(static_cast<int>(lowWord(parameter)), static_cast<int>(highWord(parameter)));
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
    case WM_SYSCOMMAND:
        if (isBlockedSystemCommand(wParam)) return 0;
        break;
    default:
        break;
    }
    return platformServices().defaultWindowProc(window, message, wParam, lParam);
}
