#pragma once

#include "mesh/mesh_reader.h"
#include "mesh/mesh_scene.h"
#include "tests/support/scene_reset.h"
#include "tests/support/scripted_platform.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <string>

// Reader tests write each mesh to a temporary file and read it with loadMesh, as the viewer
// does. The folder chooser is scripted, so a texture section never waits for a user.
class MeshFileTest : public ::testing::Test {
  protected:
    void SetUp() override { resetMeshScene(); }
    void TearDown() override { resetMeshScene(); }

    bool load(const std::string& content) {
        return loadMesh(folder.write("mesh" + std::to_string(++written) + ".msh", content).c_str());
    }

    static const MeshGroup& group(int index) { return meshScene.groups[index]; }
    static const MeshMaterial& material(int index) { return meshScene.materials[index]; }

    TempFolder folder;
    ScriptedPlatform platform;
    int written = 0;
};
