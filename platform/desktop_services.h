#pragma once

#include "platform/platform_services.h"

#include <memory>

// The services of the desktop the viewer runs on: FLTK on Linux (platform/fltk/), Windows
// itself on Windows (platform/win32/). The build links the one for its system.
std::unique_ptr<PlatformServices> makeDesktopServices();
