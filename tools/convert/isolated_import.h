#pragma once

#include <assimp/scene.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

// What reading one input may cost. Both grow with the bytes of IN and of the files beside it
// that importers read with it (material libraries, glTF buffers), from a floor that any small
// model fits in; memory stays below the machine's. KORVALIN_IMPORT_MEGABYTES and
// KORVALIN_IMPORT_SECONDS in the environment set other limits.
struct ImportLimits {
    std::size_t memoryBytes = 0;
    int seconds = 0;
};
ImportLimits importLimitsFor(const std::string& inputPath);

// Reads IN with assimp in a child process held to those limits and returns the scene it read,
// so that no model file is ever parsed in this process. Null with `error` (one line) when the
// importer failed or went past a limit. onShare hears the share of the reading done (0 to 1).
std::unique_ptr<aiScene> importIsolated(const std::string& inputPath,
                                        const std::function<void(double)>& onShare,
                                        std::string& error);
