#include "fuzz/fuzz_files.h"
#include "fuzz/scene_check.h"
#include "mesh/mesh_reader.h"
#include "mesh/mesh_scene.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Any bytes as a mesh file, read the way the viewer reads one. The textures folder is set up
// front and holds no images, so no dialog is asked for and no GL context is needed.

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    meshScene.setTexturesDirectory(fuzzSubfolder("textures").c_str());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string meshPath = std::string(fuzzFolder()) + "/input.msh";
    writeFuzzInput(meshPath, data, size);
    meshScene.releaseMesh();
    checkLoadedScene(loadMesh(meshPath.c_str()));
    return 0;
}
