#include "platform/desktop_services.h"

#include "platform/fltk/fltk_services.h"

std::unique_ptr<PlatformServices> makeDesktopServices() {
    return std::make_unique<FltkServices>();
}
