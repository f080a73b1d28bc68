#pragma once

#include "platform/platform_services.h"

// No display: every dialog answers "cancelled".
class HeadlessServices : public PlatformServices {
  public:
    bool browseForFolder(const char* title, char* path, std::size_t pathSize) override;
};
