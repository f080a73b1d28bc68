// A mesh's texture list through loadMesh: real mesh files, real images, a real GL context.
#include "mesh/mesh_reader.h"
#include "mesh/mesh_scene.h"
#include "tests/support/devil_image.h"
#include "tests/support/gl_test_context.h"
#include "tests/support/scene_reset.h"
#include "tests/support/scripted_platform.h"
#include "tests/support/temp_folder.h"

#include <GL/gl.h>
#include <IL/il.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr const char* folderTitle = "Please select the textures directory.";

struct Colour {
    unsigned char red, green, blue;
};

enum class ImageKind { rgb, palette, grey };

// Writes a one-colour image with DevIL; its size and colour tell the images of a test apart
// whatever order DevIL keeps the rows in. A grey image uses the red value as its grey.
void writeImage(const std::string& path, int width, int height, Colour colour,
                ImageKind kind = ImageKind::rgb) {
    ILenum format = kind == ImageKind::grey ? IL_LUMINANCE : IL_RGB;
    ImagePixels image{width, height, format, {}};
    for (int i = 0; i < width * height; ++i) {
        if (kind == ImageKind::grey)
            image.bytes.push_back(colour.red);
        else
            image.bytes.insert(image.bytes.end(), {colour.red, colour.green, colour.blue});
    }
    SaveAs saveAs = kind == ImageKind::palette ? SaveAs::palette : SaveAs::givenFormat;
    ASSERT_TRUE(writeImageFile(path, image, saveAs)) << path;

    // Make sure the file is what the test means it to be.
    StoredImage stored = readImageFile(path);
    ASSERT_TRUE(stored.loaded) << path;
    if (kind == ImageKind::palette) {
        ASSERT_EQ(stored.format, IL_COLOUR_INDEX) << path;
    } else if (kind == ImageKind::grey) {
        ASSERT_EQ(stored.format, IL_LUMINANCE) << path;
    }
}

GLint levelParameter(GLuint name, GLenum parameter) {
    glBindTexture(GL_TEXTURE_2D, name);
    GLint value = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, parameter, &value);
    return value;
}

// Name holds a width × height image of the colour, as four bytes a pixel, opaque.
void expectTexture(GLuint name, int width, int height, Colour colour,
                   ImageKind kind = ImageKind::rgb) {
    SCOPED_TRACE("GL texture name " + std::to_string(name));
    ASSERT_TRUE(glIsTexture(name));
    ASSERT_EQ(levelParameter(name, GL_TEXTURE_WIDTH), width);
    ASSERT_EQ(levelParameter(name, GL_TEXTURE_HEIGHT), height);
    for (GLenum size :
         {GL_TEXTURE_RED_SIZE, GL_TEXTURE_GREEN_SIZE, GL_TEXTURE_BLUE_SIZE, GL_TEXTURE_ALPHA_SIZE})
        EXPECT_EQ(levelParameter(name, size), 8) << "component size query " << size;
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 4, 0x33);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    unsigned char green = kind == ImageKind::grey ? colour.red : colour.green;
    unsigned char blue = kind == ImageKind::grey ? colour.red : colour.blue;
    std::vector<unsigned char> expected;
    for (int i = 0; i < width * height; ++i)
        expected.insert(expected.end(), {colour.red, green, blue, 255});
    EXPECT_EQ(pixels, expected);
}

// One textured triangle, then the texture list with one entry a line.
std::string meshWithTextures(const std::vector<std::string>& entries) {
    std::string text = "MSHX1\n"
                       "GROUPS 1\n"
                       "LABEL plate\n"
                       "MATERIAL 0\n"
                       "TEXTURE 1\n"
                       "GEOM 3 1\n"
                       "0 0 0 0 0 1 0 0\n"
                       "1 0 0 0 0 1 1 0\n"
                       "0 1 0 0 0 1 0 1\n"
                       "0 1 2\n";
    text += "TEXTURES " + std::to_string(entries.size()) + "\n";
    for (const std::string& entry : entries)
        text += entry + "\n";
    return text;
}

const Colour red{200, 30, 40};
const Colour green{20, 180, 60};
const Colour blue{10, 50, 220};
const Colour yellow{230, 210, 5};

class MeshTexturesTest : public GLTest {
  protected:
    void SetUp() override {
        GLTest::SetUp();
        resetMeshScene();
    }
    void TearDown() override { resetMeshScene(); }

    bool loadMeshText(const std::string& text, const std::string& name = "mesh.msh") {
        return loadMesh(folder.write(name, text).c_str());
    }
    std::string textures() const { return folder.file("tex"); }
    std::string image(const std::string& name) const { return textures() + "/" + name; }

    TempFolder folder;
    ScriptedPlatform platform; // answers as a cancel unless a test sets folderAnswer
};

TEST_F(MeshTexturesTest, EntriesBecomeGLNamesOneToNInListOrder) {
    writeImage(image("a.png"), 2, 3, red);
    writeImage(image("b.png"), 4, 1, green);
    writeImage(image("c.png"), 3, 3, blue);
    meshScene.setTexturesDirectory(textures().c_str());

    // Not in file-name order, so that list order is what decides.
    ASSERT_TRUE(loadMeshText(meshWithTextures({"c.png", "a.png", "b.png"})));
    ASSERT_EQ(meshScene.textureCount, 3);
    EXPECT_STREQ(meshScene.textureNames[0], "c.png");
    EXPECT_STREQ(meshScene.textureNames[1], "a.png");
    EXPECT_STREQ(meshScene.textureNames[2], "b.png");
    expectTexture(1, 3, 3, blue);
    expectTexture(2, 2, 3, red);
    expectTexture(3, 4, 1, green);
    EXPECT_FALSE(glIsTexture(4));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(MeshTexturesTest, AnEntryWithoutImageKeepsItsNumberAndLaterEntriesKeepTheirs) {
    writeImage(image("first.png"), 2, 2, red);
    writeImage(image("third.png"), 5, 2, blue);
    writeImage(image("fourth.png"), 1, 4, yellow);
    folder.write("tex/broken.png", "not a png");
    meshScene.setTexturesDirectory(textures().c_str());

    ASSERT_TRUE(loadMeshText(
        meshWithTextures({"first.png", "missing.png", "third.png", "broken.png", "fourth.png"})));
    ASSERT_EQ(meshScene.textureCount, 5);
    EXPECT_STREQ(meshScene.textureNames[1], "missing.png");
    expectTexture(1, 2, 2, red);
    EXPECT_FALSE(glIsTexture(2));
    expectTexture(3, 5, 2, blue);
    EXPECT_FALSE(glIsTexture(4));
    expectTexture(5, 1, 4, yellow);
}

TEST_F(MeshTexturesTest, PaletteAndGreyImagesArriveAsFourByteRgba) {
    writeImage(image("palette.bmp"), 5, 3, green, ImageKind::palette);
    writeImage(image("palette.png"), 3, 2, yellow, ImageKind::palette);
    writeImage(image("grey.png"), 3, 7, Colour{77, 0, 0}, ImageKind::grey);
    meshScene.setTexturesDirectory(textures().c_str());

    ASSERT_TRUE(loadMeshText(meshWithTextures({"palette.bmp", "palette.png", "grey.png"})));
    expectTexture(1, 5, 3, green);
    expectTexture(2, 3, 2, yellow);
    expectTexture(3, 3, 7, Colour{77, 0, 0}, ImageKind::grey);
}

TEST_F(MeshTexturesTest, ReleaseDeletesEveryNameAndTheNextMeshStartsAtOneAgain) {
    writeImage(image("one.png"), 2, 2, red);
    writeImage(image("three.png"), 3, 1, green);
    writeImage(image("new1.png"), 6, 2, blue);
    writeImage(image("new2.png"), 2, 5, yellow);
    meshScene.setTexturesDirectory(textures().c_str());

    ASSERT_TRUE(loadMeshText(meshWithTextures({"one.png", "gone.png", "three.png"})));
    ASSERT_TRUE(glIsTexture(1));
    ASSERT_TRUE(glIsTexture(3));
    meshScene.releaseMesh();
    EXPECT_EQ(meshScene.textureCount, 0);
    for (GLuint name = 1; name <= 3; ++name)
        EXPECT_FALSE(glIsTexture(name)) << "name " << name << " survived releaseMesh";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    ASSERT_TRUE(loadMeshText(meshWithTextures({"new1.png", "new2.png"}), "second.msh"));
    ASSERT_EQ(meshScene.textureCount, 2);
    expectTexture(1, 6, 2, blue);
    expectTexture(2, 2, 5, yellow);
    EXPECT_FALSE(glIsTexture(3));

    meshScene.releaseMesh();
    EXPECT_FALSE(glIsTexture(1));
    EXPECT_FALSE(glIsTexture(2));
}

TEST_F(MeshTexturesTest, NamesFindFilesThatDifferInLetterCaseOrUseBackslashes) {
    writeImage(image("hull.png"), 2, 3, red);
    writeImage(image("sub/img.png"), 3, 2, green);
    writeImage(image("sub/deck.png"), 1, 2, blue);
    // Both spellings exist: each entry gets its own file, not the other one.
    writeImage(image("Mixed.png"), 4, 1, yellow);
    writeImage(image("mixed.png"), 1, 4, green);
    meshScene.setTexturesDirectory(textures().c_str());

    ASSERT_TRUE(loadMeshText(meshWithTextures(
        {"HULL.PNG", "sub\\img.png", "sub\\DECK.png", "mixed.png", "Mixed.png", "hull.jpg"})));
    expectTexture(1, 2, 3, red);
    expectTexture(2, 3, 2, green);
    expectTexture(3, 1, 2, blue);
    expectTexture(4, 1, 4, green);
    expectTexture(5, 4, 1, yellow);
    // Only the letter case may differ: another extension is another file.
    EXPECT_FALSE(glIsTexture(6));
}

TEST_F(MeshTexturesTest, ImagesMissingFromTheFolderAreTakenFromBesideTheMesh) {
    writeImage(folder.file("beside.png"), 2, 3, red);
    writeImage(image("both.png"), 3, 1, green);
    writeImage(folder.file("both.png"), 4, 4, blue);
    meshScene.setTexturesDirectory(textures().c_str());

    ASSERT_TRUE(loadMeshText(meshWithTextures({"beside.png", "both.png", "Beside.PNG", "no.png"})));
    expectTexture(1, 2, 3, red);
    expectTexture(2, 3, 1, green); // the textures folder comes first
    expectTexture(3, 2, 3, red);
    EXPECT_FALSE(glIsTexture(4));

    // The folder is still asked for when none is set; cancelled, the mesh's own folder serves.
    resetMeshScene();
    platform.folderAnswer = "";
    ASSERT_TRUE(loadMeshText(meshWithTextures({"beside.png"}), "again.msh"));
    EXPECT_EQ(platform.folderTitles, std::vector<std::string>{folderTitle});
    expectTexture(1, 2, 3, red);
}

TEST_F(MeshTexturesTest, AnEmptyTexturesDirectoryPutsNamesUnderTheRoot) {
    writeImage(image("abs.png"), 3, 4, blue);
    meshScene.setTexturesDirectory("");
    std::string absolute = image("abs.png");
    ASSERT_EQ(absolute.front(), '/');
    ASSERT_LT(absolute.size(), 200u);

    ASSERT_TRUE(loadMeshText(meshWithTextures({absolute.substr(1), "abs.png"})));
    expectTexture(1, 3, 4, blue);
    // "/abs.png" is not the test's file.
    EXPECT_FALSE(glIsTexture(2));
    EXPECT_TRUE(platform.folderTitles.empty());
}

TEST_F(MeshTexturesTest, AnImagePathLongerThan255CharactersSkipsOnlyThatEntry) {
    // directory + '/' + name: 255 characters fit, 256 do not.
    std::string directory = textures();
    ASSERT_LT(directory.size(), 100u) << "temporary folder path too long for this test";
    directory += "/" + std::string(110 - directory.size() - 1, 'd');
    ASSERT_EQ(directory.size(), 110u);
    std::string fits = std::string(255 - 110 - 1 - 4, 'f') + ".png";
    std::string tooLong = std::string(256 - 110 - 1 - 4, 'g') + ".png";
    writeImage(directory + "/" + fits, 2, 2, red);
    writeImage(directory + "/" + tooLong, 3, 3, green);
    writeImage(directory + "/after.png", 1, 3, blue);
    ASSERT_EQ((directory + "/" + fits).size(), 255u);
    ASSERT_EQ((directory + "/" + tooLong).size(), 256u);
    meshScene.setTexturesDirectory(directory.c_str());
    ASSERT_STREQ(meshScene.texturesDirectory(), directory.c_str());

    ASSERT_TRUE(loadMeshText(meshWithTextures({fits, tooLong, "after.png"})));
    ASSERT_EQ(meshScene.textureCount, 3);
    expectTexture(1, 2, 2, red);
    EXPECT_FALSE(glIsTexture(2)) << "a path of 256 characters was used";
    expectTexture(3, 1, 3, blue);
}

TEST_F(MeshTexturesTest, WithoutAFolderTheReaderAsksOnceAndLoadsFromTheAnswer) {
    writeImage(image("hull.png"), 2, 5, yellow);
    platform.folderAnswer = textures();

    ASSERT_TRUE(loadMeshText(meshWithTextures({"hull.png"})));
    EXPECT_EQ(platform.folderTitles, std::vector<std::string>{folderTitle});
    EXPECT_STREQ(meshScene.texturesDirectory(), textures().c_str());
    // The entry was loaded after the answer came: it is found in the answered folder.
    expectTexture(1, 2, 5, yellow);

    // The folder stays chosen for the next mesh.
    meshScene.releaseMesh();
    ASSERT_TRUE(loadMeshText(meshWithTextures({"hull.png"}), "again.msh"));
    EXPECT_EQ(platform.folderTitles.size(), 1u);
    expectTexture(1, 2, 5, yellow);
}

TEST_F(MeshTexturesTest, WithAFolderSetTheReaderDoesNotAsk) {
    writeImage(image("hull.png"), 3, 3, red);
    platform.folderAnswer = folder.path(); // would give no image if it were used
    meshScene.setTexturesDirectory(textures().c_str());

    ASSERT_TRUE(loadMeshText(meshWithTextures({"hull.png"})));
    EXPECT_TRUE(platform.folderTitles.empty());
    EXPECT_STREQ(meshScene.texturesDirectory(), textures().c_str());
    expectTexture(1, 3, 3, red);
}

TEST_F(MeshTexturesTest, ACancelledRequestLeavesAnEmptyFolderChosen) {
    writeImage(image("abs.png"), 2, 2, green);
    platform.folderAnswer = "";
    std::string absolute = image("abs.png");

    ASSERT_TRUE(loadMeshText(meshWithTextures({absolute.substr(1)})));
    EXPECT_EQ(platform.folderTitles, std::vector<std::string>{folderTitle});
    EXPECT_TRUE(meshScene.texturesDirSet);
    EXPECT_STREQ(meshScene.texturesDirectory(), "");
    expectTexture(1, 2, 2, green);
}

TEST_F(MeshTexturesTest, AnEmptyTextureListStillAsksForTheFolder) {
    platform.folderAnswer = textures();

    ASSERT_TRUE(loadMeshText(meshWithTextures({})));
    EXPECT_EQ(platform.folderTitles, std::vector<std::string>{folderTitle});
    EXPECT_EQ(meshScene.textureCount, 0);
    EXPECT_EQ(meshScene.groupCount, 1);
    EXPECT_FALSE(glIsTexture(1));
}

} // namespace

namespace {

// A mesh read in place of a shown one: a refused file leaves the shown textures, an accepted one
// ends with exactly its own names, as releaseMesh and loadMesh would.
TEST_F(MeshTexturesTest, ReplacingAShownMeshKeepsItsTexturesUntilTheNewFileIsAccepted) {
    writeImage(image("a.png"), 2, 3, red);
    writeImage(image("b.png"), 4, 1, green);
    writeImage(image("c.png"), 3, 3, blue);
    meshScene.setTexturesDirectory(textures().c_str());
    ASSERT_TRUE(loadMeshText(meshWithTextures({"a.png", "b.png", "c.png"})));

    const std::string refused = folder.write("refused.msh", "MSHX1\nGROUPS 99999\n");
    EXPECT_FALSE(replaceMesh(refused.c_str()));
    EXPECT_EQ(meshScene.textureCount, 3);
    expectTexture(3, 3, 3, blue);

    const std::string next = folder.write("next.msh", meshWithTextures({"missing.png", "b.png"}));
    ASSERT_TRUE(replaceMesh(next.c_str()));
    EXPECT_EQ(meshScene.textureCount, 2);
    EXPECT_FALSE(glIsTexture(1));
    expectTexture(2, 4, 1, green);
    EXPECT_FALSE(glIsTexture(3));
    // A missing image is watched all the same: it may turn up.
    EXPECT_EQ(meshImagePaths(), (std::vector<std::string>{image("missing.png"), image("b.png")}));

    const std::string plain = folder.write("plain.msh", "MSHX1\nGROUPS 0\n");
    ASSERT_TRUE(replaceMesh(plain.c_str()));
    EXPECT_EQ(meshScene.textureCount, 0);
    EXPECT_FALSE(glIsTexture(2));
    EXPECT_TRUE(meshImagePaths().empty());
}

} // namespace
