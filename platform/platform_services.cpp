#include "platform/platform_services.h"

#include "platform/headless/headless_services.h"

namespace {
HeadlessServices headlessServices;
PlatformServices* installedServices = nullptr;
} // namespace

PlatformServices& platformServices() {
    return installedServices ? *installedServices : headlessServices;
}

void setPlatformServices(PlatformServices* services) {
    installedServices = services;
}
