// korvalin: the mesh viewer.
#include "app/viewer_window.h"
#include "platform/fltk/fltk_services.h"
#include "platform/platform_services.h"
#include "settings/settings_file.h"

int main() {
    FltkServices fltk;
    setPlatformServices(&fltk);
    // The settings stay with the directory the viewer was started in, wherever it goes later.
    char startDirectory[256];
    if (fltk.currentDirectory(startDirectory, sizeof startDirectory))
        buildSettingsPath(startDirectory);
    loadSettings();
    if (!openViewerWindow()) return 1;
    Message message;
    while (fltk.getMessage(message))
        fltk.dispatchMessage(message);
    return 0;
}
