#pragma once

#include <cstddef>

// The operating-system services the program's own code calls. The backend that runs the
// program installs itself; until then the headless backend answers (dialogs cancelled).
class PlatformServices {
  public:
    virtual ~PlatformServices() = default;

    // Modal folder chooser owned by the active window. Writes the chosen folder into path;
    // writes an empty text when the user cancels or the folder does not fit pathSize.
    // True when a folder was chosen.
    virtual bool browseForFolder(const char* title, char* path, std::size_t pathSize) = 0;
};

PlatformServices& platformServices();
// Installs services (nullptr puts the headless backend back).
void setPlatformServices(PlatformServices* services);
