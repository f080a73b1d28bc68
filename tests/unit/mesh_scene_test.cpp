#include "mesh/mesh_scene.h"
#include "tests/support/scene_reset.h"
#include "tests/support/scripted_platform.h"

#include <gtest/gtest.h>

#include <string>

class MeshSceneTest : public ::testing::Test {
  protected:
    void SetUp() override { resetMeshScene(); }
    void TearDown() override { resetMeshScene(); }
};

TEST_F(MeshSceneTest, StartsWithNoMeshAndTheDefaultCamera) {
    MeshScene fresh;
    EXPECT_EQ(fresh.groupCount, 0);
    EXPECT_EQ(fresh.materialCount, 0);
    EXPECT_EQ(fresh.textureCount, 0);
    EXPECT_FALSE(fresh.groups || fresh.materials || fresh.textureNames);
    EXPECT_EQ(fresh.rotationY, 0.0f);
    EXPECT_EQ(fresh.rotationZ, 0.0f);
    EXPECT_EQ(fresh.cameraDistance, 10.0f);
    EXPECT_FALSE(fresh.texturesDirSet);
    EXPECT_STREQ(fresh.texturesDirectory(), "");
}

TEST_F(MeshSceneTest, ReleaseFreesEverythingAndCanRepeat) {
    meshScene.groupCount = 2;
    meshScene.groups.reset(new MeshGroup[2]());
    ASSERT_TRUE(meshScene.groups[0].vertices.allocate(3));
    meshScene.groups[0].vertexCount = 3;
    meshScene.materialCount = 1;
    meshScene.materials.reset(new MeshMaterial[1]());
    meshScene.rotationY = 30;
    meshScene.cameraDistance = 4;
    meshScene.releaseMesh();
    EXPECT_EQ(meshScene.groupCount, 0);
    EXPECT_EQ(meshScene.materialCount, 0);
    EXPECT_FALSE(meshScene.groups || meshScene.materials || meshScene.textureNames);
    // The camera belongs to the view, not to the mesh.
    EXPECT_EQ(meshScene.rotationY, 30.0f);
    EXPECT_EQ(meshScene.cameraDistance, 4.0f);
    meshScene.releaseMesh();
    EXPECT_EQ(meshScene.groupCount, 0);
}

TEST_F(MeshSceneTest, TexturesDirectoryReadsEmptyUntilSet) {
    std::snprintf(meshScene.texturesDir, sizeof meshScene.texturesDir, "%s", "/left/over");
    EXPECT_STREQ(meshScene.texturesDirectory(), "");
    meshScene.setTexturesDirectory("/data/textures");
    EXPECT_TRUE(meshScene.texturesDirSet);
    EXPECT_STREQ(meshScene.texturesDirectory(), "/data/textures");
    // An empty directory still counts as chosen.
    meshScene.setTexturesDirectory("");
    EXPECT_TRUE(meshScene.texturesDirSet);
    EXPECT_STREQ(meshScene.texturesDirectory(), "");
    std::string longest(255, 'd');
    meshScene.setTexturesDirectory(longest.c_str());
    EXPECT_EQ(std::string(meshScene.texturesDirectory()), longest);
}

TEST_F(MeshSceneTest, ADirectoryThatDoesNotFitIsNeverCutShort) {
    std::string tooLong(256, 'd');
    meshScene.setTexturesDirectory(tooLong.c_str());
    EXPECT_TRUE(meshScene.texturesDirSet);
    EXPECT_STREQ(meshScene.texturesDirectory(), "");
}

TEST_F(MeshSceneTest, ChoosingTheFolderCountsAsSetWhateverTheUserDid) {
    ScriptedPlatform platform;
    platform.folderAnswer = "/home/user/textures";
    meshScene.chooseTexturesDirectory();
    ASSERT_EQ(platform.folderTitles.size(), 1u);
    EXPECT_EQ(platform.folderTitles[0], "Please select the textures directory.");
    EXPECT_STREQ(meshScene.texturesDirectory(), "/home/user/textures");

    platform.folderAnswer.clear();
    meshScene.chooseTexturesDirectory();
    EXPECT_TRUE(meshScene.texturesDirSet);
    EXPECT_STREQ(meshScene.texturesDirectory(), "");
}

TEST_F(MeshSceneTest, ChoosingTheFolderLeavesTheMeshAlone) {
    ScriptedPlatform platform;
    platform.folderAnswer = "/elsewhere";
    meshScene.textureCount = 1;
    meshScene.textureNames.reset(new TextureName[1]());
    std::snprintf(meshScene.textureNames[0], sizeof(TextureName), "%s", "hull.dds");
    meshScene.chooseTexturesDirectory();
    EXPECT_EQ(meshScene.textureCount, 1);
    EXPECT_STREQ(meshScene.textureNames[0], "hull.dds");
    meshScene.textureCount = 0; // no GL context here to delete names in
}
