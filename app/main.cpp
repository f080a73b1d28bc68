// korvalin: the mesh viewer.
#include "app/command_line.h"
#include "app/mesh_files.h"
#include "app/viewer_state.h"
#include "app/viewer_window.h"
#include "mesh/image_decoder.h"
#include "mesh/text_field.h"
#include "platform/command_line_output.h"
#include "platform/desktop_services.h"
#include "platform/platform_services.h"
#include "render/shading.h"
#include "settings/open_mesh_command.h"
#include "settings/settings_file.h"

#include <memory>

namespace {
constexpr int exitBadUsage = 2;

// Help, version and bad usage are answered before any window or settings file.
bool answeredWithoutWindow(const CommandLine& commandLine, int& status) {
    switch (commandLine.action) {
    case CommandLineAction::ShowHelp:
        showCommandLineText(commandLineUsage, false);
        status = 0;
        return true;
    case CommandLineAction::ShowVersion:
        showCommandLineText(
            ("korvalin " KORVALIN_VERSION "\n" + imageDecoderDescription() + "\n").c_str(), false);
        status = 0;
        return true;
    case CommandLineAction::BadUsage:
        showCommandLineText(commandLineUsage, true);
        status = exitBadUsage;
        return true;
    default:
        return false;
    }
}
} // namespace

int main(int argc, char** argv) {
    int status = 0;
    if (runAsImageHelper(argc, argv, status)) return status;
    startImageDecoder();
    CommandLine commandLine = parseCommandLine(argc, argv);
    if (answeredWithoutWindow(commandLine, status)) return status;
    std::unique_ptr<PlatformServices> desktop = makeDesktopServices();
    setPlatformServices(desktop.get());
    // The settings stay with the directory the viewer was started in, wherever it goes later.
    char startDirectory[textFieldSize];
    if (desktop->currentDirectory(startDirectory, sizeof startDirectory)) {
        buildSettingsPath(startDirectory);
        startupFolder = startDirectory;
    }
    loadSettings();
    if (commandLine.texturesDir) useTexturesDirectoryForThisRun(commandLine.texturesDir);
    if (!openViewerWindow()) return 1;
    if (commandLine.shaded) setShading(true);
    setWatching(commandLine.watch);
    if (commandLine.meshPath && openMeshPath(mainWindow, commandLine.meshPath, paintEnabled))
        followShownMesh(mainWindow);
    Message message;
    while (desktop->getMessage(message))
        desktop->dispatchMessage(message);
    return 0;
}
