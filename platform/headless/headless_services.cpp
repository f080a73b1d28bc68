#include "platform/headless/headless_services.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int HeadlessServices::messageBox(WindowHandle, const char* text, const char* caption, unsigned) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    return IDOK;
}

bool HeadlessServices::browseForFolder(const char*, char* path, std::size_t pathSize) {
    if (pathSize > 0) path[0] = '\0';
    return false;
}

bool HeadlessServices::currentDirectory(char* buffer, std::size_t size) {
    return getcwd(buffer, size) != nullptr;
}

bool HeadlessServices::openFileDialog(WindowHandle, const char*, const char*, char* path,
                                      std::size_t pathSize) {
    if (pathSize > 0) path[0] = '\0';
    return false;
}

void HeadlessServices::exitProcess(int status) {
    std::exit(status);
}
