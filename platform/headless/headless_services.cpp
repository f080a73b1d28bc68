#include "platform/headless/headless_services.h"

bool HeadlessServices::browseForFolder(const char*, char* path, std::size_t pathSize) {
    if (pathSize > 0) path[0] = '\0';
    return false;
}
