// The converter's parts that a process run cannot reach well: progress lines on a terminal,
// its temporary files, the float text of the .msh writer, the names it makes.
#include "mesh/mesh_reader.h"
#include "mesh/mesh_scene.h"
#include "tests/support/devil_image.h"
#include "tests/support/temp_folder.h"
#include "tools/convert/import_textures.h"
#include "tools/convert/msh_writer.h"
#include "tools/convert/names.h"
#include "tools/convert/output_files.h"
#include "tools/convert/progress.h"

#include <IL/il.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>

namespace fs = std::filesystem;

namespace {

std::string progressLines(long long inputBytes, bool terminal, const std::vector<double>& steps) {
    std::FILE* out = std::tmpfile();
    {
        Progress progress(inputBytes, terminal, out);
        auto writing = progress.span(0.5, 1.0);
        for (double step : steps)
            step < 0 ? writing(-step) : progress.reach(step);
    }
    std::rewind(out);
    std::string text;
    for (int c; (c = std::fgetc(out)) != EOF;)
        text += static_cast<char>(c);
    std::fclose(out);
    return text;
}

TEST(ConvertProgress, ALineAtEachTenthForALargeInputOnATerminalOnly) {
    const long long large = 50'000'001, small = 50'000'000;
    // Reading to 0.25, then the writing half (negative: its own share) to its end.
    const std::vector<double> steps = {0.05, 0.1, 0.1, 0.25, -0.1, -0.5, -0.5, -1.0, 1.0};
    std::string expected;
    for (int tenth = 1; tenth <= 10; ++tenth)
        expected += "korvalin-convert: " + std::to_string(tenth * 10) + "%\n";
    EXPECT_EQ(progressLines(large, true, steps), expected);
    EXPECT_EQ(progressLines(large, false, steps), "") << "not a terminal";
    EXPECT_EQ(progressLines(small, true, steps), "") << "50 MB or less";
    EXPECT_EQ(progressLines(large, true, {0.35, 0.2}),
              "korvalin-convert: 10%\nkorvalin-convert: 20%\nkorvalin-convert: 30%\n")
        << "never backwards";
}

TEST(ConvertOutputFiles, NamesComeOnlyWithCommitAndNothingElseStays) {
    TempFolder folder;
    const std::string main = folder.file("model.obj"), library = folder.file("model.mtl");
    folder.write("model.obj", "old");
    {
        OutputFiles files;
        std::FILE* a = files.open(main);
        std::FILE* b = files.open(library);
        ASSERT_TRUE(a && b);
        std::fputs("new obj", a);
        std::fputs("new mtl", b);
        EXPECT_TRUE(files.close(b));
        EXPECT_EQ(readWholeFile(main), "old") << "not before commit";
        EXPECT_EQ(fs::exists(library), false);
        ASSERT_TRUE(files.commit(main)) << files.error();
    }
    EXPECT_EQ(readWholeFile(main), "new obj");
    EXPECT_EQ(readWholeFile(library), "new mtl");
    {
        OutputFiles files;
        std::fputs("never", files.open(main));
        std::fputs("never", files.open(folder.file("extra.bin")));
    } // not committed
    EXPECT_EQ(readWholeFile(main), "new obj");
    {
        // A target that cannot take the name (a folder is there): false, OUT as it was.
        fs::create_directory(folder.file("taken"));
        OutputFiles files;
        std::fputs("x", files.open(folder.file("taken")));
        std::fputs("y", files.open(main));
        EXPECT_FALSE(files.commit(main));
        EXPECT_NE(files.error().find("taken"), std::string::npos) << files.error();
    }
    EXPECT_EQ(readWholeFile(main), "new obj");
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder.path()))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"model.mtl", "model.obj", "taken"}));
}

// Every float the writer writes reads back through the viewer's reader as the same bits.
TEST(ConvertMshWriter, FloatsReadBackAsTheSameBits) {
    std::mt19937 random(13);
    std::vector<float> values = {0.0f,
                                 1.0f,
                                 -1.0f,
                                 0.1f,
                                 1.0f / 3,
                                 16777217.0f,
                                 std::numeric_limits<float>::min(),
                                 std::numeric_limits<float>::denorm_min(),
                                 std::numeric_limits<float>::max(),
                                 -std::numeric_limits<float>::max(),
                                 std::numeric_limits<float>::infinity(),
                                 1e-30f,
                                 123456.789f};
    while (values.size() < 8 * 4000) {
        std::uint32_t bits = random();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isfinite(value)) values.push_back(value);
    }
    MshModel model;
    MshGroup group;
    group.label = "numbers";
    group.material = 1;
    for (std::size_t i = 0; i + 8 <= values.size(); i += 8) {
        MeshVertex vertex;
        std::memcpy(&vertex, &values[i], sizeof vertex);
        group.vertices.push_back(vertex);
    }
    group.triangles.push_back({{0, 1, 2}});
    model.groups.push_back(group);
    MeshMaterial material;
    std::strcpy(material.name, "m");
    std::memcpy(material.diffuse, &values[100], 17 * sizeof(float));
    model.materials.push_back(material);
    model.textures = {"a/b.png"};

    TempFolder folder;
    const std::string path = folder.file("numbers.msh");
    std::FILE* out = std::fopen(path.c_str(), "wb");
    double lastShare = 0;
    ASSERT_TRUE(writeMsh(out, model, [&](double share) {
        EXPECT_GE(share, lastShare);
        lastShare = share;
    }));
    std::fclose(out);
    EXPECT_EQ(lastShare, 1.0);

    meshScene.releaseMesh();
    meshScene.setTexturesDirectory(folder.path().c_str());
    ASSERT_TRUE(loadMesh(path.c_str()));
    ASSERT_EQ(meshScene.groupCount, 1);
    const MeshGroup& read = meshScene.groups[0];
    ASSERT_EQ(read.vertexCount, static_cast<int>(group.vertices.size()));
    EXPECT_EQ(std::memcmp(read.vertices.get(), group.vertices.data(),
                          group.vertices.size() * sizeof(MeshVertex)),
              0);
    ASSERT_EQ(meshScene.materialCount, 1);
    EXPECT_EQ(std::memcmp(meshScene.materials[0].diffuse, material.diffuse, 17 * sizeof(float)), 0);
    ASSERT_EQ(meshScene.textureCount, 1);
    EXPECT_STREQ(meshScene.textureNames[0], "a/b.png");
    meshScene.releaseMesh();
}

// assimp's raw texels (BGRA, top row first) go beside OUT as a PNG that shows them the same way.
TEST(ConvertEmbeddedImages, RawTexelsBecomeAPngBesideTheOutput) {
    TempFolder folder;
    aiScene scene;
    scene.mNumTextures = 1;
    scene.mTextures = new aiTexture*[1];
    aiTexture* texture = scene.mTextures[0] = new aiTexture;
    texture->mWidth = 2;
    texture->mHeight = 2;
    texture->mFilename = aiString("skin.bmp");
    // Red, green; blue, white.
    texture->pcData =
        new aiTexel[4]{{0, 0, 255, 255}, {0, 255, 0, 255}, {255, 0, 0, 255}, {255, 255, 255, 255}};
    std::FILE* noteStream = std::tmpfile();
    Notes notes(noteStream);
    OutputFiles files;
    ImportTextures textures(scene, folder.file("model.mdl"), folder.file("my model.msh"), files,
                            notes);
    int number = 0;
    ASSERT_TRUE(textures.numberFor(aiString("*0"), number)) << textures.error();
    EXPECT_EQ(number, 1);
    ASSERT_TRUE(textures.numberFor(aiString("*0"), number));
    EXPECT_EQ(number, 1) << "one image, one entry";
    EXPECT_EQ(textures.names(), std::vector<std::string>{"my_model_skin.png"});
    EXPECT_EQ(textures.rowOrders(), std::vector<bool>{true});
    ASSERT_TRUE(files.commit(folder.file("my model.msh")));
    std::fclose(noteStream);

    ViewedImage skin = readViewedImage(folder.file("my_model_skin.png"), IL_RGB);
    ASSERT_EQ(skin.bytes.size(), 12u);
    EXPECT_EQ(skin.bytes,
              (std::vector<unsigned char>{255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}));
}

TEST(ConvertNames, WordsPathsAndMaterialVariants) {
    EXPECT_EQ(mshWord("red paint\tno.2", 255, "x"), "red_paint_no.2");
    EXPECT_EQ(mshWord("abcdef", 4, "x"), "abcd");
    EXPECT_EQ(mshWord("", 255, "material3"), "material3");
    EXPECT_TRUE(fitsMshTextureName("../tex/wood.png"));
    EXPECT_FALSE(fitsMshTextureName("my wood.png"));
    EXPECT_FALSE(fitsMshTextureName(std::string(256, 'a')));
    EXPECT_TRUE(fitsMshTextureName(std::string(255, 'a')));
    EXPECT_EQ(pathRelativeTo("/a/b/c.png", "/a/d"), "../b/c.png");
    EXPECT_EQ(pathRelativeTo("/a/b/./c.png", "/a/b/"), "c.png");
    EXPECT_EQ(pathRelativeTo("x/y.png", "x"), "y.png");
    EXPECT_EQ(folderOf("model.msh"), ".");
    EXPECT_EQ(stemOf("a/b/model.v2.msh"), "model.v2");
    EXPECT_EQ(materialBaseName(materialVariantName("wood", 0)), "wood");
    EXPECT_EQ(materialBaseName("wood.t12"), "wood");
    EXPECT_EQ(materialBaseName("wood.t"), "wood.t");
    EXPECT_EQ(materialBaseName("wood.tx1"), "wood.tx1");
}

} // namespace
