#include "app/screenshot.h"

#include "app/status_text.h"
#include "app/viewer_state.h"
#include "platform/folders.h"
#include "platform/path_rules.h"
#include "platform/platform_services.h"
#include "platform/window_messages.h"
#include "render/draw_pass.h"
#include "render/frame_capture.h"
#include "render/viewport.h"
#include "settings/open_mesh_command.h"

#include <string>

namespace {

constexpr int mostNumbersTried = 100000;

std::string picturesFolder() {
    char folder[4096];
    if (platformServices().picturesDirectory(folder, sizeof folder)) return folder;
    return startupFolder;
}

// The mesh's file name without its extension.
std::string pictureStem() {
    std::string name = shownMeshFile();
    std::size_t separator = name.find_last_of("/\\");
    if (separator != std::string::npos) name.erase(0, separator + 1);
    std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name.empty() ? "korvalin" : name;
}

// The first free name; an empty text when all are taken.
std::string freePicturePath(const std::string& folder) {
    const std::string stem = folder + pathSeparator() + pictureStem() + "-";
    for (int number = 1; number <= mostNumbersTried; ++number) {
        std::string path = stem + std::to_string(number) + ".png";
        if (!pathExists(path.c_str())) return path;
    }
    return {};
}

// Drawn again and read back before the swap, so the file holds exactly what the window then
// shows: the client area, which the start-up viewport may overhang at the top.
bool saveShownPicture(const std::string& path) {
    renderScene();
    int width = clientAreaWidth > 0 ? clientAreaWidth : windowWidth;
    int height = clientAreaHeight > 0 ? clientAreaHeight : windowHeight;
    bool saved = saveFramePng(path.c_str(), width, height, false);
    platformServices().swapBuffers(deviceContext);
    return saved;
}

std::string savePicture() {
    if (!paintEnabled) return "No picture to save: open a mesh first";
    if (!canWritePng()) return "No picture saved: the image library (DevIL) is missing";
    const std::string folder = picturesFolder() + pathSeparator() + "Korvalin";
    if (!makeFolder(folder.c_str())) return "No picture saved: cannot make the folder " + folder;
    const std::string path = freePicturePath(folder);
    if (path.empty() || !saveShownPicture(path))
        return "No picture saved: cannot write in " + folder;
    return "Saved " + path;
}

} // namespace

void takeScreenshot(WindowHandle window) {
    showStatus(savePicture());
    platformServices().sendMessage(window, WM_PAINT, 0, 0);
}
