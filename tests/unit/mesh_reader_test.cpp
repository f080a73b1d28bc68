#include "tests/support/worked_example.h"
#include "tests/unit/mesh_test_support.h"

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string withCrLf(const std::string& text) {
    std::string out;
    for (char c : text)
        out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

void expectColour(const float* colour, float r, float g, float b, float a) {
    EXPECT_EQ(colour[0], r);
    EXPECT_EQ(colour[1], g);
    EXPECT_EQ(colour[2], b);
    EXPECT_EQ(colour[3], a);
}

void expectNoMesh() {
    EXPECT_EQ(meshScene.groupCount, 0);
    EXPECT_EQ(meshScene.materialCount, 0);
    EXPECT_EQ(meshScene.textureCount, 0);
    EXPECT_FALSE(meshScene.groups || meshScene.materials || meshScene.textureNames);
}

} // namespace

class MagicLine : public MeshFileTest {};

TEST_F(MagicLine, OnlyTheExactFirstLineIsAccepted) {
    EXPECT_TRUE(load("MSHX1"));
    EXPECT_TRUE(load("MSHX1\n"));
    EXPECT_TRUE(load("MSHX1\r\n"));
    expectNoMesh();
    for (const char* wrong : {"", "\n", "mshx1\n", "MSHX1 \n", " MSHX1\n", "MSHX1X\n", "MSHX\n",
                              "\xEF\xBB\xBFMSHX1\n", "GROUPS 1\nMSHX1\n"})
        EXPECT_FALSE(load(wrong)) << "first line: " << wrong;
    expectNoMesh();
}

TEST_F(MagicLine, FilesThatCannotBeReadAreRefused) {
    EXPECT_FALSE(loadMesh(folder.file("absent.msh").c_str()));
    EXPECT_FALSE(loadMesh(folder.path().c_str()));
    expectNoMesh();
}

class WorkedExample : public MeshFileTest {
  protected:
    void expectWorkedExample() {
        ASSERT_EQ(meshScene.groupCount, 2);
        ASSERT_EQ(meshScene.materialCount, 2);
        ASSERT_EQ(meshScene.textureCount, 1);
        EXPECT_EQ(group(0).vertexCount, 3);
        EXPECT_EQ(group(0).triangleCount, 1);
        EXPECT_EQ(group(0).material, 1);
        EXPECT_EQ(group(0).texture, 1);
        EXPECT_EQ(group(1).vertexCount, 4);
        EXPECT_EQ(group(1).triangleCount, 2);
        EXPECT_EQ(group(1).material, 2);
        EXPECT_EQ(group(1).texture, 0);
        const MeshVertex& v = group(0).vertices[2];
        EXPECT_EQ(v.x, 0.0f);
        EXPECT_EQ(v.z, 1.0f);
        EXPECT_EQ(v.ny, 1.0f);
        EXPECT_EQ(v.v, 1.0f);
        EXPECT_EQ(group(1).vertices[2].y, 1.0f);
        EXPECT_EQ(group(1).vertices[2].nz, 1.0f);
        const int* last = group(1).triangles[1].indices;
        EXPECT_EQ(last[0], 0);
        EXPECT_EQ(last[1], 2);
        EXPECT_EQ(last[2], 3);
        EXPECT_STREQ(material(0).name, "hull");
        EXPECT_STREQ(material(1).name, "glass");
        expectColour(material(0).diffuse, 1, 1, 1, 1);
        expectColour(material(0).ambient, 0.2f, 0.2f, 0.2f, 1);
        EXPECT_EQ(material(0).power, 0.0f);
        expectColour(material(1).diffuse, 0.5f, 0.6f, 0.7f, 0.4f);
        expectColour(material(1).specular, 1, 1, 1, 1);
        EXPECT_EQ(material(1).power, 20.0f);
        expectColour(material(1).emissive, 0, 0, 0, 1);
        EXPECT_STREQ(meshScene.textureNames[0], "hull.dds");
    }
};

TEST_F(WorkedExample, ReadsAsDescribed) {
    platform.folderAnswer = folder.path();
    ASSERT_TRUE(load(workedExampleMesh));
    expectWorkedExample();
    // The texture list asked for the folder once, before its entries.
    ASSERT_EQ(platform.folderTitles.size(), 1u);
    EXPECT_STREQ(meshScene.texturesDirectory(), folder.path().c_str());
}

TEST_F(WorkedExample, ReadsTheSameWithWindowsLineEnds) {
    ASSERT_TRUE(load(withCrLf(workedExampleMesh)));
    expectWorkedExample();
}

TEST_F(WorkedExample, KeepsTheCameraOfThePreviousMesh) {
    meshScene.rotationY = 12.5f;
    meshScene.rotationZ = -40;
    meshScene.cameraDistance = 3;
    ASSERT_TRUE(load(workedExampleMesh));
    meshScene.releaseMesh();
    ASSERT_TRUE(load(workedExampleMesh));
    EXPECT_EQ(meshScene.rotationY, 12.5f);
    EXPECT_EQ(meshScene.rotationZ, -40.0f);
    EXPECT_EQ(meshScene.cameraDistance, 3.0f);
}

class SectionKeywords : public MeshFileTest {};

TEST_F(SectionKeywords, KeywordsIgnoreCaseButTheirNumbersDoNot) {
    // "groups 2" opens the section, but its number is not read: no group blocks follow, and
    // the main loop passes over their lines.
    ASSERT_TRUE(load("MSHX1\ngroups 2\nGEOM 1 0\n0 0 0 0 0 0 0 0\nMATERIALS 1\nm\n1 1 1 1\n"
                     "0 0 0 1\n0 0 0 1\n0 0 0 1\n"));
    EXPECT_EQ(meshScene.groupCount, 0);
    EXPECT_FALSE(meshScene.groups && meshScene.groupCount > 0);
    EXPECT_EQ(meshScene.materialCount, 1);
    meshScene.releaseMesh();

    ASSERT_TRUE(load("MSHX1\nGROUPS 0\nMaterials 3\nGROUPSX 4\n"));
    EXPECT_EQ(meshScene.groupCount, 0);
    EXPECT_EQ(meshScene.materialCount, 0);
}

TEST_F(SectionKeywords, SectionsMayComeInAnyOrderWithOtherLinesBetween) {
    ASSERT_TRUE(load("MSHX1\n# made by hand\nMATERIALS 1\nonly\n1 0 0 1\n0.5 0 0 1\n0 0 0 1\n"
                     "0 0 0 1\n\nsome note\nGROUPS 1\nGEOM 1 0\n1 2 3 4 5 6 7 8\n"));
    EXPECT_EQ(meshScene.materialCount, 1);
    ASSERT_EQ(meshScene.groupCount, 1);
    EXPECT_EQ(group(0).vertices[0].v, 8.0f);
}

TEST_F(SectionKeywords, GroupsFollowedDirectlyByTexturesLoadTheList) {
    ASSERT_TRUE(load("MSHX1\nGROUPS 1\nGEOM 0 0\nTEXTURES 2\na.png\nb.png\n"));
    ASSERT_EQ(meshScene.textureCount, 2);
    EXPECT_STREQ(meshScene.textureNames[1], "b.png");
}

TEST_F(SectionKeywords, NothingAfterTheTextureListIsRead) {
    ASSERT_TRUE(load("MSHX1\nTEXTURES 1\nt.png\nGROUPS 1\nGEOM 1 0\n0 0 0 0 0 0 0 0\n"));
    EXPECT_EQ(meshScene.textureCount, 1);
    EXPECT_EQ(meshScene.groupCount, 0);
}

TEST_F(SectionKeywords, ARepeatedSectionReplacesTheEarlierOne) {
    ASSERT_TRUE(load("MSHX1\nGROUPS 2\nGEOM 0 0\nGEOM 0 0\nGROUPS 1\nMATERIAL 0\nGEOM 0 0\n"));
    ASSERT_EQ(meshScene.groupCount, 1);
    EXPECT_EQ(group(0).material, 0);
}

class GroupBlocks : public MeshFileTest {};

TEST_F(GroupBlocks, AGroupWithOnlyGeometryTakesThePreviousMaterialAndNoTexture) {
    ASSERT_TRUE(load("MSHX1\nGROUPS 1\nGEOM 1 1\n1 2 3 4 5 6 7 8\n0 0 0\n"));
    EXPECT_EQ(group(0).material, -1);
    EXPECT_EQ(group(0).texture, 0);
    EXPECT_EQ(group(0).vertexCount, 1);
}

TEST_F(GroupBlocks, HeaderLinesCountOnlyInTheirOrder) {
    // TEXTURE before MATERIAL: the material line fails every later test and is dropped with
    // the group's geometry; the next group begins with the GEOM line that followed.
    ASSERT_TRUE(load("MSHX1\nGROUPS 2\nTEXTURE 1\nMATERIAL 2\nGEOM 1 0\n0 0 0 0 0 0 0 0\n"));
    EXPECT_EQ(group(0).texture, 1);
    EXPECT_EQ(group(0).material, -1);
    EXPECT_EQ(group(0).vertexCount, 0);
    EXPECT_FALSE(group(0).vertices);
    EXPECT_EQ(group(1).vertexCount, 1);
}

TEST_F(GroupBlocks, OptionalLinesArePassedOver) {
    ASSERT_TRUE(load("MSHX1\nGROUPS 1\nLABEL a b c\nMATERIAL 0x10\nTEXTURE 010\nTEXWRAP 1\n"
                     "NONORMAL\nSTATIC\nFLAG 7\nGEOM 1 1\n9 9 9 0 0 1 0 0\n0 0 0\n"));
    EXPECT_EQ(group(0).material, 16);
    EXPECT_EQ(group(0).texture, 8);
    EXPECT_EQ(group(0).vertices[0].x, 9.0f);
    EXPECT_EQ(group(0).triangleCount, 1);
}

TEST_F(GroupBlocks, ShortAndOddNumberLinesKeepWhatTheyDoNotSet) {
    ASSERT_TRUE(load("MSHX1\nGROUPS 1\nGEOM 3 3\n1 2 3 4 5 6\n1 2 x 4 5 6 7 8\n\n"
                     "010 1 2\n08 1 2\n5 5\n"));
    const MeshVertex* v = group(0).vertices.get();
    EXPECT_EQ(v[0].nz, 6.0f);
    EXPECT_EQ(v[0].u, 0.0f);
    EXPECT_EQ(v[0].v, 0.0f);
    EXPECT_EQ(v[1].y, 2.0f);
    EXPECT_EQ(v[1].z, 0.0f);
    EXPECT_EQ(v[1].nx, 0.0f);
    EXPECT_EQ(v[2].x, 0.0f);
    const MeshTriangle* t = group(0).triangles.get();
    EXPECT_EQ(t[0].indices[0], 8);
    EXPECT_EQ(t[1].indices[0], 0);
    EXPECT_EQ(t[1].indices[1], 8);
    EXPECT_EQ(t[1].indices[2], 1);
    EXPECT_EQ(t[2].indices[1], 5);
    EXPECT_EQ(t[2].indices[2], 0);
}

// Shapes on which C libraries differ read the same on every one: a NaN with its payload, and a
// binary corner number, each followed by the rest of its line.
TEST_F(GroupBlocks, PayloadNansAndBinaryNumbersReadAsTheStandardHasThem) {
    ASSERT_TRUE(load("MSHX1\nGROUPS 1\nGEOM 1 1\nnan(12) -NAN(7) 3 4 5 6 7 8\n0b1 0B10 0\n"));
    const MeshVertex& v = group(0).vertices[0];
    const auto bits = [](float value) { return std::bit_cast<std::uint32_t>(value); };
    EXPECT_EQ(bits(v.x), bits(std::strtof("nan(12)", nullptr)));
    EXPECT_EQ(bits(v.y), bits(std::strtof("-NAN(7)", nullptr)));
    EXPECT_EQ(v.z, 3.0f);
    EXPECT_EQ(v.v, 8.0f);
    const MeshTriangle& t = group(0).triangles[0];
    EXPECT_EQ(t.indices[0], 1);
    EXPECT_EQ(t.indices[1], 2);
    EXPECT_EQ(t.indices[2], 0);
}

TEST_F(GroupBlocks, MaterialAndTextureLinesWithoutANumberKeepTheDefaults) {
    ASSERT_TRUE(load("MSHX1\nGROUPS 1\nmaterial 5\nTEXTURE one\nGEOM 0 0\n"));
    EXPECT_EQ(group(0).material, -1);
    EXPECT_EQ(group(0).texture, 0);
}

class MaterialBlocks : public MeshFileTest {};

TEST_F(MaterialBlocks, HeaderLinesAreOptionalAndPowerComesFromAFifthNumber) {
    ASSERT_TRUE(load("MSHX1\nMATERIALS 3\nfirst one\nsecond\n\n"
                     "0.1 0.2 0.3 0.4\n1 1 1 1\n0.5 0.5 0.5 1\n0 0 0 0\n"
                     "MATERIAL second\n1 0 0 1\n0 1 0 1\n1 1 1 1 64\n0 0 1 1\n"
                     "2 2 2 2\n3 3 3 3\n4 4 4 4 8 9\n5 5 5 5\n"));
    ASSERT_EQ(meshScene.materialCount, 3);
    EXPECT_STREQ(material(0).name, "first");
    EXPECT_STREQ(material(1).name, "second");
    EXPECT_STREQ(material(2).name, "");
    expectColour(material(0).diffuse, 0.1f, 0.2f, 0.3f, 0.4f);
    EXPECT_EQ(material(0).power, 0.0f);
    expectColour(material(1).ambient, 0, 1, 0, 1);
    EXPECT_EQ(material(1).power, 64.0f);
    expectColour(material(2).specular, 4, 4, 4, 4);
    EXPECT_EQ(material(2).power, 8.0f);
    expectColour(material(2).emissive, 5, 5, 5, 5);
}

class TextureList : public MeshFileTest {};

TEST_F(TextureList, AnEmptyListStillAsksForTheFolderOnce) {
    ASSERT_TRUE(load("MSHX1\nTEXTURES 0\n"));
    EXPECT_EQ(platform.folderTitles.size(), 1u);
    EXPECT_TRUE(meshScene.texturesDirSet);
    EXPECT_EQ(meshScene.textureCount, 0);
    ASSERT_TRUE(load("MSHX1\nTEXTURES 0\n"));
    EXPECT_EQ(platform.folderTitles.size(), 1u);
}

TEST_F(TextureList, AKnownFolderIsNotAskedFor) {
    meshScene.setTexturesDirectory(folder.path().c_str());
    ASSERT_TRUE(load("MSHX1\nTEXTURES 1\nx.png\n"));
    EXPECT_TRUE(platform.folderTitles.empty());
}

TEST_F(TextureList, EntriesKeepTheirFirstWordWithSlashes) {
    ASSERT_TRUE(load("MSHX1\nTEXTURES 4\nstone wall.dds\n  sub\\dir\\a.png  \n\nlast\n"));
    ASSERT_EQ(meshScene.textureCount, 4);
    EXPECT_STREQ(meshScene.textureNames[0], "stone");
    EXPECT_STREQ(meshScene.textureNames[1], "sub/dir/a.png");
    EXPECT_STREQ(meshScene.textureNames[2], "");
    EXPECT_STREQ(meshScene.textureNames[3], "last");
}

class ReadResult : public MeshFileTest {};

// Each refusal names its check and line; each file that ends inside a section names the
// section, the record it ended in and the line where that record begins.
TEST_F(ReadResult, NamesTheCheckTheLineAndWhereASectionRanShort) {
    const std::string material = "1 1 1 1\n0.2 0.2 0.2 1\n0 0 0 1\n0 0 0 1\n";
    const std::string vertex = "0 0 0 0 1 0 0 0\n";
    struct Row {
        const char* what;
        std::string mesh; // a folder in its place for notRegularFile
        MeshReadCheck check;
        long long line;
        MeshSection section = MeshSection::none;
        int count = 0;
        MeshRecord record = MeshRecord::none;
        int recordNumber = 0;
        long long recordLine = 0;
    };
    using C = MeshReadCheck;
    using S = MeshSection;
    using R = MeshRecord;
    const std::vector<Row> rows = {
        {"a folder", "", C::notRegularFile, 0},
        {"an empty file", "", C::notMagicLine, 1},
        {"another magic line", "MSHX2\nGROUPS 0\n", C::notMagicLine, 1},
        {"too many groups", "MSHX1\nGROUPS 999999\n", C::countBeyondFileSize, 2},
        {"too many vertices after lines taken from the text",
         "MSHX1\n\nGROUPS 2\nGEOM 2 1\n" + vertex + vertex + "0 1 1\nLABEL b\nGEOM 99999 0\n",
         C::countBeyondFileSize, 9},
        {"too many materials", "MSHX1\nMATERIALS 99999\n", C::countBeyondFileSize, 2},
        {"too many textures, Windows line ends", "MSHX1\r\n\r\nTEXTURES 99999\r\n",
         C::countBeyondFileSize, 3},
        {"nothing after GROUPS", "MSHX1\nGROUPS 5\n", C::loaded, 0, S::groups, 5, R::group, 1, 3},
        {"a group cut in its vertices", "MSHX1\nGROUPS 2\nGEOM 4 2\n1 1 1 1 1 1 1 1\n2 2",
         C::loaded, 0, S::groups, 2, R::group, 1, 3},
        {"a second group cut in its triangles",
         "MSHX1\nGROUPS 2\nGEOM 1 0\n" + vertex + "LABEL b\nGEOM 1 1\n" + vertex, C::loaded, 0,
         S::groups, 2, R::group, 2, 5},
        {"a material name missing", "MSHX1\nMATERIALS 2\na\n", C::loaded, 0, S::materials, 2,
         R::materialName, 2, 4},
        {"a material without its colours", "MSHX1\nMATERIALS 2\na\nb\n" + material, C::loaded, 0,
         S::materials, 2, R::material, 2, 9},
        {"a texture list one entry short", "MSHX1\nTEXTURES 3\na.png\nb.png\n", C::loaded, 0,
         S::textures, 3, R::textureEntry, 3, 5},
        {"a triangle line that opens the texture list",
         "MSHX1\nGROUPS 1\nGEOM 0 1\nTEXTURES 2\na.png\n", C::loaded, 0, S::textures, 2,
         R::textureEntry, 2, 6},
        {"the worked example", workedExampleMesh, C::loaded, 0},
        {"a last triangle without a line end", "MSHX1\nGROUPS 1\nGEOM 1 1\n" + vertex + "0 0 0",
         C::loaded, 0},
        {"a last entry without a line end", "MSHX1\nTEXTURES 2\na.png\nb.png", C::loaded, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string path =
            row.check == C::notRegularFile
                ? folder.path()
                : folder.write("mesh" + std::to_string(++written) + ".msh", row.mesh);
        MeshReadResult result;
        EXPECT_EQ(loadMesh(path.c_str(), result), row.check == C::loaded);
        EXPECT_EQ(result.check, row.check) << meshReadWords(result.check);
        EXPECT_EQ(result.line, row.line);
        EXPECT_EQ(result.earlyEnd.section, row.section);
        EXPECT_EQ(result.earlyEnd.count, row.count);
        EXPECT_EQ(result.earlyEnd.record, row.record);
        EXPECT_EQ(result.earlyEnd.recordNumber, row.recordNumber);
        EXPECT_EQ(result.earlyEnd.line, row.recordLine);
        // The plain entry point gives the same answer.
        meshScene.releaseMesh();
        EXPECT_EQ(loadMesh(path.c_str()), row.check == C::loaded);
        meshScene.releaseMesh();
    }

    MeshReadResult result;
    EXPECT_FALSE(loadMesh(folder.file("absent.msh").c_str(), result));
    EXPECT_EQ(result.check, C::cannotOpen);
    EXPECT_EQ(result.systemError, ENOENT);
    EXPECT_EQ(result.line, 0);
}
