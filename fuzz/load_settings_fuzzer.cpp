#include "fuzz/fuzz_files.h"
#include "mesh/mesh_scene.h"
#include "render/sensitivity.h"
#include "settings/settings_file.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// Any bytes as Korvalin.ini. Whatever the file holds, the sensitivities stay finite numbers
// and the textures directory a terminated text that fits its field.

namespace {

void require(bool holds, const char* rule) {
    if (holds) return;
    std::fprintf(stderr, "korvalin fuzz: the loaded settings break a rule: %s\n", rule);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!buildSettingsPath(fuzzFolder())) {
        std::fprintf(stderr, "korvalin fuzz: the settings path does not fit\n");
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    writeFuzzInput(settingsPath, data, size);
    mouseSensitivity = defaultMouseSensitivity;
    zoomSensitivity = defaultZoomSensitivity;
    meshScene.texturesDirSet = false;
    require(loadSettings(), "a readable file loads");
    require(std::isfinite(mouseSensitivity) && std::isfinite(zoomSensitivity),
            "sensitivities stay finite");
    require(meshScene.texturesDirSet, "the textures directory counts as set");
    require(std::memchr(meshScene.texturesDir, '\0', textFieldSize) != nullptr,
            "the textures directory ends within its field");
    return 0;
}
