#include "mesh/mesh_scene.h"
#include "mesh/texture_path.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <string>

TEST(TexturePath, DirectorySlashAndNameWithBackslashesReadAsSlashes) {
    char path[textFieldSize];
    ASSERT_TRUE(buildTexturePath("/data/tex", "hull.dds", path, sizeof path));
    EXPECT_STREQ(path, "/data/tex/hull.dds");
    ASSERT_TRUE(buildTexturePath("/data/tex/", "sub\\hull.dds", path, sizeof path));
    EXPECT_STREQ(path, "/data/tex//sub/hull.dds");
    // A directory that is set but empty still gets its separator.
    ASSERT_TRUE(buildTexturePath("", "hull.dds", path, sizeof path));
    EXPECT_STREQ(path, "/hull.dds");
}

TEST(TexturePath, APathThatDoesNotFitIsRefusedNotCut) {
    char path[textFieldSize];
    std::string directory(200, 'd');
    EXPECT_TRUE(
        buildTexturePath(directory.c_str(), std::string(54, 'n').c_str(), path, sizeof path));
    EXPECT_EQ(std::string(path).size(), 255u);
    EXPECT_FALSE(
        buildTexturePath(directory.c_str(), std::string(55, 'n').c_str(), path, sizeof path));
}

TEST(TexturePath, FallsBackToAFileThatDiffersOnlyInCase) {
    TempFolder folder;
    folder.write("Hull.DDS", "x");
    folder.write("exact.png", "x");
    folder.write("EXACT.png", "x");

    std::string wanted = folder.file("hull.dds");
    char path[textFieldSize];
    std::snprintf(path, sizeof path, "%s", wanted.c_str());
    resolveImageFileCase(path, sizeof path);
    EXPECT_EQ(std::string(path), folder.file("Hull.DDS"));

    // An existing file is used as it is, even when another differs only in case.
    std::snprintf(path, sizeof path, "%s", folder.file("exact.png").c_str());
    resolveImageFileCase(path, sizeof path);
    EXPECT_EQ(std::string(path), folder.file("exact.png"));

    // No match at all leaves the path alone.
    std::snprintf(path, sizeof path, "%s", folder.file("none.png").c_str());
    resolveImageFileCase(path, sizeof path);
    EXPECT_EQ(std::string(path), folder.file("none.png"));
}
