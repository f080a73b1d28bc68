#include "settings/open_mesh_command.h"

#include "mesh/mesh_reader.h"
#include "mesh/mesh_scene.h"
#include "platform/path_rules.h"
#include "platform/platform_services.h"
#include "platform/window_messages.h"

#include <string>

namespace {
constexpr int exitAfterFailedLoad = 1;
constexpr const char* loadFailureText = "Could not load the Ismarel Mesh file.\n"
                                        "Correct the path and check if it is an Ismarel Mesh file.";

std::string shownMeshPath;

// Kept whole, so that reading it again or its neighbours does not depend on the current folder.
void rememberShownMesh(const char* path) {
    char folder[4096];
    bool relative = path[0] != '/' && path[0] != '\\' && !(path[0] && path[1] == ':');
    PlatformServices& platform = platformServices();
    if (relative && platform.currentDirectory(folder, sizeof folder))
        shownMeshPath = std::string(folder) + pathSeparator() + path;
    else
        shownMeshPath = path;
}
} // namespace

bool openMeshCommand(WindowHandle mainWindow, bool& paintEnabled) {
    PlatformServices& platform = platformServices();
    // Nothing is drawn from the old mesh or a half-read new one until this is set again.
    paintEnabled = false;
    char path[textFieldSize] = {};
    if (!platform.openFileDialog(mainWindow, "Ismarel Mesh File", "*.msh", path, sizeof path)) {
        paintEnabled = true;
        return false;
    }
    return openMeshPath(mainWindow, path, paintEnabled);
}

bool openMeshPath(WindowHandle mainWindow, const char* path, bool& paintEnabled) {
    PlatformServices& platform = platformServices();
    paintEnabled = false;
    meshScene.releaseMesh();
    if (loadMesh(path)) {
        rememberShownMesh(path);
        paintEnabled = true;
        platform.sendMessage(mainWindow, WM_PAINT, 0, 0);
        return true;
    }
    platform.messageBox(mainWindow, loadFailureText, "Error", MB_OK | MB_ICONERROR);
    platform.exitProcess(exitAfterFailedLoad);
    return false;
}

bool reopenMeshPath(WindowHandle mainWindow, const char* path, bool& paintEnabled) {
    paintEnabled = false;
    // The path may be the remembered one itself.
    std::string wanted = path;
    bool loaded = replaceMesh(wanted.c_str());
    if (loaded) rememberShownMesh(wanted.c_str());
    paintEnabled = !shownMeshPath.empty();
    platformServices().sendMessage(mainWindow, WM_PAINT, 0, 0);
    return loaded;
}

const char* shownMeshFile() {
    return shownMeshPath.c_str();
}
