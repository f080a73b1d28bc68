#include "platform/desktop_services.h"

#include "platform/win32/win32_services.h"

std::unique_ptr<PlatformServices> makeDesktopServices() {
    return std::make_unique<Win32Services>();
}
