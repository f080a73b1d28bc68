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

// Where an entry's image is taken from: the textures folder "tex", else beside the mesh in "model".
TEST(TexturePath, ImagesNotInTheTexturesFolderAreTakenFromBesideTheMesh) {
    TempFolder root;
    for (const char* file : {"tex/inFolder.png", "tex/both.png", "model/both.png",
                             "model/beside.png", "model/Upper.PNG", "model/sub/deep.png"})
        root.write(file, "x");
    const std::string tex = root.file("tex"), model = root.file("model");
    const std::string meshPath = model + "/model.msh";
    struct Case {
        const char* what;
        std::string texturesDir, name, expected;
    } cases[] = {
        {"found in the folder", tex, "inFolder.png", tex + "/inFolder.png"},
        {"found only beside the mesh", tex, "beside.png", model + "/beside.png"},
        {"case differs beside the mesh", tex, "upper.png", model + "/Upper.PNG"},
        {"in both: the folder wins", tex, "both.png", tex + "/both.png"},
        {"a subfolder beside the mesh", tex, "sub\\DEEP.png", model + "/sub/deep.png"},
        {"nowhere: the folder's path", tex, "none.png", tex + "/none.png"},
        {"no folder set", "", "beside.png", model + "/beside.png"},
        {"no folder set, nowhere", "", "none.png", "/none.png"},
    };
    // Each finder is asked twice: the second answers come from its folder listings.
    TextureImageFinder withFolder(tex.c_str(), meshPath.c_str());
    TextureImageFinder withoutFolder("", meshPath.c_str());
    for (int pass = 1; pass <= 2; ++pass)
        for (const Case& c : cases) {
            char path[textFieldSize];
            auto& finder = c.texturesDir.empty() ? withoutFolder : withFolder;
            ASSERT_TRUE(finder.find(c.name.c_str(), path, sizeof path)) << c.what;
            EXPECT_EQ(std::string(path), c.expected) << c.what << ", pass " << pass;
        }
}

TEST(TexturePath, APathBesideTheMeshMustFitAsWell) {
    TempFolder root;
    const std::string longName = std::string(240 - root.path().size(), 'n') + ".png";
    root.write("model/" + longName, "x");
    const std::string meshPath = root.file("model/m.msh");
    char path[textFieldSize];
    // The folder's path does not fit; the image beside the mesh does and is used.
    TextureImageFinder finder(std::string(200, 'd').c_str(), meshPath.c_str());
    ASSERT_TRUE(finder.find(longName.c_str(), path, sizeof path));
    EXPECT_EQ(std::string(path), root.file("model/" + longName));
    // Neither fits: the entry is skipped, never cut.
    EXPECT_FALSE(finder.find((longName + std::string(20, 'x')).c_str(), path, sizeof path));
}
