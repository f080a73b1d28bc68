#pragma once

#include "platform/headless/headless_services.h"

#include <string>
#include <vector>

// Stands in for the dialogs a test cannot click: answers the folder chooser with a scripted
// folder (or a cancel) and records every title it was shown with. Installs itself for its
// lifetime.
class ScriptedPlatform : public HeadlessServices {
  public:
    ScriptedPlatform() { setPlatformServices(this); }
    ~ScriptedPlatform() override { setPlatformServices(nullptr); }

    bool browseForFolder(const char* title, char* path, std::size_t pathSize) override;

    std::string folderAnswer; // the folder "chosen"; empty = the user cancels
    std::vector<std::string> folderTitles;
};
