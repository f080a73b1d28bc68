#include "tests/unit/mesh_test_support.h"

#include <cmath>
#include <random>

class BadInput : public MeshFileTest {};

TEST_F(BadInput, CountsLargerThanTheFileAreRefusedAndLeaveTheSceneAsItWas) {
    ASSERT_TRUE(load("MSHX1\nGROUPS 1\nGEOM 1 0\n7 0 0 0 0 0 0 0\nMATERIALS 1\nkept\n"));
    for (const char* lie :
         {"MSHX1\nGROUPS 2147483647\n", "MSHX1\nGROUPS 1\nGEOM 2147483647 0\n",
          "MSHX1\nGROUPS 1\nGEOM 1 2147483647\n0 0 0 0 0 0 0 0\n", "MSHX1\nMATERIALS 2147483647\n",
          "MSHX1\nTEXTURES 2147483647\n", "MSHX1\nGROUPS 0x7fffffff\n",
          "MSHX1\nGROUPS 1\nGEOM 1 0\n"
          "0 0 0 0 0 0 0 0\nTEXTURES 1000\n"}) {
        EXPECT_FALSE(load(lie)) << lie;
        ASSERT_EQ(meshScene.groupCount, 1) << lie;
        EXPECT_EQ(meshScene.groups[0].vertices[0].x, 7.0f);
        ASSERT_EQ(meshScene.materialCount, 1);
        EXPECT_STREQ(meshScene.materials[0].name, "kept");
    }
    // The refused texture list did not ask for a folder either.
    EXPECT_TRUE(platform.folderTitles.empty());
}

// Each count alone fits the file; together they claim far more records than it has bytes.
TEST_F(BadInput, CountsThatTogetherPassTheFileSizeAreRefused) {
    ASSERT_TRUE(load("MSHX1\nMATERIALS 1\nkept\n"));
    std::string groups = "MSHX1\nGROUPS 50\n";
    for (int i = 0; i < 50; ++i)
        groups += "GEOM 600 600\n";
    ASSERT_LT(groups.size(), 600u * 2);
    EXPECT_FALSE(load(groups));
    EXPECT_EQ(meshScene.groupCount, 0);
    ASSERT_EQ(meshScene.materialCount, 1);
    EXPECT_STREQ(meshScene.materials[0].name, "kept");
}

// A file holding every record it declares always fits, however it is split into groups.
TEST_F(BadInput, CountsOfRecordsThatArePresentAreAccepted) {
    std::string mesh = "MSHX1\nGROUPS 3\n";
    for (int g = 0; g < 3; ++g) {
        mesh += "GEOM 4 2\n";
        for (int v = 0; v < 4; ++v)
            mesh += "0 0 0 0 0 0 0 0\n";
        mesh += "0 1 2\n1 2 3\n";
    }
    mesh += "MATERIALS 2\na\nb\n";
    for (int line = 0; line < 8; ++line)
        mesh += "1 1 1 1\n";
    ASSERT_TRUE(load(mesh));
    EXPECT_EQ(meshScene.groupCount, 3);
    EXPECT_EQ(meshScene.groups[2].triangleCount, 2);
    EXPECT_EQ(meshScene.materialCount, 2);
}

TEST_F(BadInput, NegativeCountsReadAsZero) {
    ASSERT_TRUE(load("MSHX1\nGROUPS 2\nGEOM -5 -1\nGEOM -2147483648 3\n0 0 0\n1 1 1\n2 2 2\n"
                     "MATERIALS -3\nTEXTURES -1\n"));
    ASSERT_EQ(meshScene.groupCount, 2);
    EXPECT_EQ(meshScene.groups[0].vertexCount, 0);
    EXPECT_EQ(meshScene.groups[0].triangleCount, 0);
    EXPECT_EQ(meshScene.groups[1].vertexCount, 0);
    EXPECT_EQ(meshScene.groups[1].triangleCount, 3);
    EXPECT_EQ(meshScene.groups[1].triangles[2].indices[0], 2);
    EXPECT_EQ(meshScene.materialCount, 0);
    EXPECT_EQ(meshScene.textureCount, 0);
    ASSERT_TRUE(load("MSHX1\nGROUPS -1\n"));
    EXPECT_EQ(meshScene.groupCount, 0);
}

TEST_F(BadInput, NumbersOutOfRangeAreStoredAsRead) {
    ASSERT_TRUE(load("MSHX1\nGROUPS 2\nMATERIAL 99\nTEXTURE -7\nGEOM 1 1\n0 0 0 0 0 0 0 0\n"
                     "5 -1 2147483647\nMATERIAL -2\nTEXTURE 2147483647\nGEOM 0 0\n"));
    EXPECT_EQ(group(0).material, 99);
    EXPECT_EQ(group(0).texture, -7);
    EXPECT_EQ(group(0).triangles[0].indices[0], 5);
    EXPECT_EQ(group(0).triangles[0].indices[1], -1);
    EXPECT_EQ(group(0).triangles[0].indices[2], 2147483647);
    EXPECT_EQ(group(1).material, -2);
    EXPECT_EQ(group(1).texture, 2147483647);
}

TEST_F(BadInput, OverlongLinesAreCutAndReadingGoesOn) {
    std::string longName = std::string(10000, 'n');
    std::string longVertex = "1 2 3 4 5 6 7 8" + std::string(10000, ' ') + "9";
    ASSERT_TRUE(load("MSHX1\nMATERIALS 1\n" + longName + "\n1 1 1 1\n2 2 2 2\n3 3 3 3 4\n" +
                     "5 5 5 5\nGROUPS 1\nGEOM 2 0\n" + longVertex + "\n" + std::string(300, '7') +
                     " 1\n"));
    EXPECT_EQ(std::string(material(0).name), std::string(255, 'n'));
    EXPECT_EQ(material(0).power, 4.0f);
    ASSERT_EQ(meshScene.groupCount, 1);
    EXPECT_EQ(group(0).vertices[0].v, 8.0f);
    // 255 sevens overflow the float and the rest of the line is gone.
    EXPECT_TRUE(std::isinf(group(0).vertices[1].x));
    EXPECT_EQ(group(0).vertices[1].y, 0.0f);
}

TEST_F(BadInput, BinaryBytesAfterTheMagicLineLoadWithoutHarm) {
    std::mt19937 random(2026);
    for (int round = 0; round < 50; ++round) {
        std::string content = "MSHX1\n";
        for (int i = 0; i < 4000; ++i)
            content += static_cast<char>(random() & 0xff);
        EXPECT_TRUE(load(content));
        meshScene.releaseMesh();
    }
    std::string withZeros("MSHX1\0junk\nGROUPS 1\0\nGEOM 1 0\n\0\x01\x02\n", 34);
    ASSERT_TRUE(load(withZeros));
    ASSERT_EQ(meshScene.groupCount, 1);
    EXPECT_EQ(group(0).vertexCount, 1);
}

TEST_F(BadInput, AFileCutOffInASectionLoadsWhatItHas) {
    ASSERT_TRUE(load("MSHX1\nGROUPS 3\nGEOM 4 2\n1 1 1 1 1 1 1 1\n2 2 2"));
    ASSERT_EQ(meshScene.groupCount, 3);
    EXPECT_EQ(group(0).vertexCount, 4);
    EXPECT_EQ(group(0).vertices[1].z, 2.0f);
    EXPECT_EQ(group(0).vertices[1].nx, 0.0f);
    EXPECT_EQ(group(0).vertices[3].x, 0.0f);
    EXPECT_EQ(group(0).triangles[1].indices[2], 0);
    EXPECT_EQ(group(2).vertexCount, 0);
    meshScene.releaseMesh();

    ASSERT_TRUE(load("MSHX1\nMATERIALS 2\nonly-one-name"));
    ASSERT_EQ(meshScene.materialCount, 2);
    EXPECT_STREQ(material(1).name, "");
    meshScene.releaseMesh();

    ASSERT_TRUE(load("MSHX1\nTEXTURES 2\na.png"));
    EXPECT_EQ(meshScene.textureCount, 2);
}
