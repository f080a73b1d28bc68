#include "settings/open_mesh_command.h"

#include "app/viewer_state.h"
#include "app/window_proc.h"
#include "mesh/mesh_scene.h"
#include "platform/window_messages.h"
#include "render/mouse_orbit.h"
#include "render/sensitivity.h"
#include "resources/command_ids.h"
#include "resources/menu_template.h"
#include "settings/settings_file.h"
#include "tests/support/scene_reset.h"
#include "tests/support/scripted_window_platform.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

const std::string chooserShown = "openFileDialog Ismarel Mesh File|*.msh|256|owner=window";
const std::string repaintRequest = "sendMessage 0x000F window 0 0";
const std::string failureBox = "messageBox Error|Could not load the Ismarel Mesh file.\n"
                               "Correct the path and check if it is an Ismarel Mesh file."
                               "|0x10|owner=window";

// One group, one triangle, nothing else.
constexpr const char* triangleMesh = "MSHX1\n"
                                     "GROUPS 1\n"
                                     "LABEL tri\n"
                                     "GEOM 3 1\n"
                                     "0 0 0 0 0 1 0 0\n"
                                     "4 0 0 0 0 1 1 0\n"
                                     "0 5 0 0 0 1 0 1\n"
                                     "0 1 2\n";

// The same triangle with one texture entry, whose section asks for the textures folder while
// the file is being read.
constexpr const char* texturedTriangleMesh = "MSHX1\n"
                                             "GROUPS 1\n"
                                             "TEXTURE 1\n"
                                             "GEOM 3 1\n"
                                             "0 0 0 0 0 1 0 0\n"
                                             "4 0 0 0 0 1 1 0\n"
                                             "0 5 0 0 0 1 0 1\n"
                                             "0 1 2\n"
                                             "TEXTURES 1\n"
                                             "missing.dds\n";

void resetCommandState() {
    paintEnabled = false;
    mainWindow = nullptr;
    deviceContext = nullptr;
    glContext = nullptr;
    mouseSensitivity = defaultMouseSensitivity;
    zoomSensitivity = defaultZoomSensitivity;
    dragging = false;
    lastMouseX = 0;
    lastMouseY = 0;
    settingsPath[0] = '\0';
    resetMeshScene();
}

// An old mesh of two groups and one material, with no GL textures, so that its release shows:
// a file without a material section keeps the scene's materials unless they were released.
void holdOldMesh() {
    meshScene.groupCount = 2;
    meshScene.groups.reset(new MeshGroup[2]());
    meshScene.materialCount = 1;
    meshScene.materials.reset(new MeshMaterial[1]());
}

bool triangleLoaded() {
    return meshScene.groupCount == 1 && meshScene.groups != nullptr &&
           meshScene.groups[0].vertexCount == 3 && meshScene.groups[0].triangleCount == 1 &&
           meshScene.groups[0].vertices[1].x == 4.0f && meshScene.groups[0].vertices[2].y == 5.0f;
}

class OpenMeshCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetCommandState();
        ASSERT_TRUE(buildSettingsPath(settingsFolder.path().c_str()));
    }
    void TearDown() override { resetCommandState(); }

    bool runCommand() { return openMeshCommand(platform.window(), paintEnabled); }

    std::string settingsFile() const { return settingsFolder.file("Korvalin.ini"); }

    TempFolder meshFolder;
    TempFolder settingsFolder;
    ScriptedWindowPlatform platform;
};

// --- Cancelling ---

TEST_F(OpenMeshCommandTest, CancellingBeforeAnyMeshDrawsNothingAndEnablesPainting) {
    platform.fileAnswer.clear();
    EXPECT_FALSE(runCommand());
    EXPECT_TRUE(paintEnabled);
    EXPECT_EQ(platform.calls, Calls{chooserShown});
    EXPECT_EQ(meshScene.groups, nullptr);
    EXPECT_EQ(meshScene.groupCount, 0);
}

TEST_F(OpenMeshCommandTest, CancellingKeepsTheMeshThatIsLoaded) {
    holdOldMesh();
    const MeshGroup* groupsBefore = meshScene.groups.get();
    const MeshMaterial* materialsBefore = meshScene.materials.get();
    paintEnabled = true;

    EXPECT_FALSE(runCommand());

    EXPECT_TRUE(paintEnabled);
    EXPECT_EQ(meshScene.groups.get(), groupsBefore);
    EXPECT_EQ(meshScene.groupCount, 2);
    EXPECT_EQ(meshScene.materials.get(), materialsBefore);
    EXPECT_EQ(meshScene.materialCount, 1);
    EXPECT_EQ(platform.calls, Calls{chooserShown});
}

TEST_F(OpenMeshCommandTest, PaintingIsOffWhileTheChooserIsUp) {
    paintEnabled = true;
    bool paintingDuringChooser = true;
    platform.onCall = [&](const std::string& call) {
        if (call.starts_with("openFileDialog")) paintingDuringChooser = paintEnabled;
    };
    runCommand();
    EXPECT_FALSE(paintingDuringChooser);
    EXPECT_TRUE(paintEnabled);
}

TEST_F(OpenMeshCommandTest, TheChooserOffersTheMeshFilterAndIsOwnedByTheGivenWindow) {
    EXPECT_FALSE(openMeshCommand(platform.dc(), paintEnabled));
    EXPECT_FALSE(openMeshCommand(nullptr, paintEnabled));
    EXPECT_EQ(platform.calls, (Calls{"openFileDialog Ismarel Mesh File|*.msh|256|owner=dc",
                                     "openFileDialog Ismarel Mesh File|*.msh|256|owner=none"}));
}

// --- Loading ---

TEST_F(OpenMeshCommandTest, AChosenMeshReplacesTheOldOneAndIsDrawnBeforeTheCommandReturns) {
    holdOldMesh();
    platform.fileAnswer = meshFolder.write("triangle.msh", triangleMesh);
    bool paintingAtRepaint = false;
    bool loadedAtRepaint = false;
    platform.onCall = [&](const std::string& call) {
        if (call == repaintRequest) {
            paintingAtRepaint = paintEnabled;
            loadedAtRepaint = triangleLoaded();
        }
    };

    EXPECT_TRUE(runCommand());

    EXPECT_EQ(platform.calls, (Calls{chooserShown, repaintRequest}));
    EXPECT_TRUE(paintingAtRepaint);
    EXPECT_TRUE(loadedAtRepaint);
    EXPECT_TRUE(paintEnabled);
    EXPECT_TRUE(triangleLoaded());
    // The old mesh went: its material section is not carried over to the new file.
    EXPECT_EQ(meshScene.materialCount, 0);
    EXPECT_EQ(meshScene.materials, nullptr);
    EXPECT_FALSE(platform.exitStatus.has_value());
}

TEST_F(OpenMeshCommandTest, PaintingIsOffAndTheOldMeshGoneWhileTheFileIsRead) {
    holdOldMesh();
    paintEnabled = true;
    platform.fileAnswer = meshFolder.write("textured.msh", texturedTriangleMesh);
    platform.folderAnswer = meshFolder.path();
    bool askedDuringRead = false;
    bool paintingDuringRead = true;
    bool oldMeshHeldDuringRead = true;
    platform.onCall = [&](const std::string& call) {
        if (call.starts_with("browseForFolder")) {
            askedDuringRead = true;
            paintingDuringRead = paintEnabled;
            oldMeshHeldDuringRead = meshScene.groups != nullptr || meshScene.materials != nullptr;
        }
    };

    EXPECT_TRUE(runCommand());

    EXPECT_TRUE(askedDuringRead);
    EXPECT_FALSE(paintingDuringRead);
    EXPECT_FALSE(oldMeshHeldDuringRead);
    EXPECT_TRUE(paintEnabled);
    EXPECT_TRUE(triangleLoaded());
    EXPECT_EQ(meshScene.textureCount, 1);
    EXPECT_EQ(platform.calls.back(), repaintRequest);
}

TEST_F(OpenMeshCommandTest, APathOf255CharactersIsRead) {
    std::string name(255 - meshFolder.path().size() - 1 - 4, 'm');
    platform.fileAnswer = meshFolder.write(name + ".msh", triangleMesh);
    ASSERT_EQ(platform.fileAnswer.size(), 255u);
    EXPECT_TRUE(runCommand());
    EXPECT_TRUE(triangleLoaded());
}

TEST_F(OpenMeshCommandTest, APathLongerThanTheBufferCountsAsCancelled) {
    holdOldMesh();
    std::string name(256 - meshFolder.path().size() - 1 - 4, 'm');
    platform.fileAnswer = meshFolder.write(name + ".msh", triangleMesh);
    ASSERT_EQ(platform.fileAnswer.size(), 256u);
    EXPECT_FALSE(runCommand());
    EXPECT_TRUE(paintEnabled);
    EXPECT_EQ(meshScene.groupCount, 2);
    EXPECT_EQ(meshScene.materialCount, 1);
    EXPECT_EQ(platform.calls, Calls{chooserShown});
}

// --- A file that does not load ---

struct BadFileRow {
    const char* name;
    const char* content; // nullptr: the file is not there
};

void PrintTo(const BadFileRow& row, std::ostream* out) {
    *out << row.name;
}

class BadMeshFileTest : public OpenMeshCommandTest,
                        public ::testing::WithParamInterface<BadFileRow> {
  protected:
    void chooseTheBadFile() {
        const BadFileRow& row = GetParam();
        platform.fileAnswer =
            row.content ? meshFolder.write("bad.msh", row.content) : meshFolder.file("bad.msh");
    }
};

TEST_P(BadMeshFileTest, ShowsTheErrorBoxThenEndsTheProcessWithStatus1) {
    holdOldMesh();
    chooseTheBadFile();
    mainWindow = platform.window();
    deviceContext = platform.dc();
    glContext = platform.gl();

    EXPECT_FALSE(runCommand());

    EXPECT_EQ(platform.calls, (Calls{chooserShown, failureBox, "exitProcess 1"}));
    EXPECT_EQ(platform.exitStatus, 1);
    // Ending the process releases nothing of the window first.
    EXPECT_EQ(mainWindow, platform.window());
    EXPECT_EQ(deviceContext, platform.dc());
    EXPECT_EQ(glContext, platform.gl());
}

TEST_P(BadMeshFileTest, TheSettingsAreNotWritten) {
    chooseTheBadFile();
    mouseSensitivity = 0.45f;
    bool writtenByTheEnd = true;
    platform.onCall = [&](const std::string& call) {
        if (call.starts_with("exitProcess"))
            writtenByTheEnd = std::filesystem::exists(settingsFile());
    };

    runCommand();

    EXPECT_FALSE(writtenByTheEnd);
    EXPECT_FALSE(std::filesystem::exists(settingsFile()));
    EXPECT_EQ(platform.exitStatus, 1);
}

TEST_P(BadMeshFileTest, AnExistingSettingsFileKeepsItsBytes) {
    const std::string before = "0.3\n4\n/textures\n";
    settingsFolder.write("Korvalin.ini", before);
    chooseTheBadFile();
    mouseSensitivity = 0.45f;
    zoomSensitivity = 7.0f;
    std::string atExit;
    platform.onCall = [&](const std::string& call) {
        if (call.starts_with("exitProcess")) atExit = readWholeFile(settingsFile());
    };

    runCommand();

    EXPECT_EQ(atExit, before);
    EXPECT_EQ(readWholeFile(settingsFile()), before);
    EXPECT_EQ(platform.exitStatus, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadMeshFileTest,
    ::testing::Values(BadFileRow{"NotAMesh", "hello\nworld\n"},
                      BadFileRow{"WrongMagicLine", "MSHX2\nGROUPS 0\n"}, BadFileRow{"Empty", ""},
                      BadFileRow{"CountLargerThanTheFile", "MSHX1\nGROUPS 999999\n"},
                      BadFileRow{"Missing", nullptr}),
    [](const ::testing::TestParamInfo<BadFileRow>& row) { return std::string(row.param.name); });

// --- From the menu ---

class OpenCommandFromMenuTest : public OpenMeshCommandTest {
  protected:
    void SetUp() override {
        OpenMeshCommandTest::SetUp();
        ASSERT_TRUE(platform.registerWindowClass({"OpenGL", viewerWindowProc, &viewerMenu}));
        mainWindow = platform.window();
        deviceContext = platform.dc();
        glContext = platform.gl();
        platform.calls.clear();
    }
};

TEST_F(OpenCommandFromMenuTest, TheOpenCommandLoadsAndDrawsAFrameAtOnce) {
    holdOldMesh();
    platform.fileAnswer = meshFolder.write("triangle.msh", triangleMesh);
    EXPECT_EQ(viewerWindowProc(platform.window(), WM_COMMAND, CMD_OPEN, 0), 0);
    // The repaint reaches the window procedure with painting on, so a frame is drawn.
    EXPECT_EQ(platform.calls,
              (Calls{chooserShown, repaintRequest, "validateRect window", "swapBuffers dc"}));
    EXPECT_TRUE(paintEnabled);
    EXPECT_TRUE(triangleLoaded());
}

TEST_F(OpenCommandFromMenuTest, ACancelledOpenCommandDrawsNothing) {
    holdOldMesh();
    EXPECT_EQ(viewerWindowProc(platform.window(), WM_COMMAND, CMD_OPEN, 0), 0);
    EXPECT_EQ(platform.calls, Calls{chooserShown});
    EXPECT_TRUE(paintEnabled);
    EXPECT_EQ(meshScene.groupCount, 2);
}

TEST_F(OpenCommandFromMenuTest, AFileThatDoesNotLoadEndsTheProgramFromTheMenuToo) {
    platform.fileAnswer = meshFolder.write("bad.msh", "not a mesh\n");
    EXPECT_EQ(viewerWindowProc(platform.window(), WM_COMMAND, CMD_OPEN, 0), 0);
    EXPECT_EQ(platform.calls, (Calls{chooserShown, failureBox, "exitProcess 1"}));
    EXPECT_FALSE(std::filesystem::exists(settingsFile()));
}

// A drop asks for the count and the first path, frees the drop, then opens that path as a chosen
// file is opened; a path the chooser could not have given is ignored like a cancelled chooser.
TEST_F(OpenCommandFromMenuTest, ADropOpensItsFirstFileAsTheOpenCommandDoes) {
    const Calls dropQueries = {"dragQueryFile -1", "dragQueryFile 0", "dragFinish"};
    struct Case {
        std::string name;
        std::vector<std::string> files;
        Calls after;
        bool loaded;
    } cases[] = {
        {"a mesh and a second file",
         {meshFolder.write("triangle.msh", triangleMesh), "/elsewhere/other.msh"},
         {repaintRequest, "validateRect window", "swapBuffers dc"},
         true},
        {"a file that is not a mesh",
         {meshFolder.write("notes.txt", "not a mesh\n")},
         {failureBox, "exitProcess 1"},
         false},
        {"a path longer than the chooser's buffer", {"/" + std::string(300, 'p')}, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetMeshScene();
        platform.calls.clear();
        platform.exitStatus.reset();
        platform.droppedFiles = c.files;
        Calls expected = dropQueries;
        expected.insert(expected.end(), c.after.begin(), c.after.end());

        EXPECT_EQ(viewerWindowProc(platform.window(), WM_DROPFILES, 0, 0), 0);

        EXPECT_EQ(platform.calls, expected);
        EXPECT_EQ(triangleLoaded(), c.loaded);
    }
    // An empty drop is only freed.
    platform.calls.clear();
    platform.droppedFiles.clear();
    viewerWindowProc(platform.window(), WM_DROPFILES, 0, 0);
    EXPECT_EQ(platform.calls, (Calls{"dragQueryFile -1", "dragFinish"}));
    EXPECT_FALSE(std::filesystem::exists(settingsFile()));
}

// A folder for this run only leaves the saved one as it was, until the user chooses a folder.
TEST_F(OpenCommandFromMenuTest, ARunOnlyTexturesFolderIsNotSavedUnlessTheUserChoosesOne) {
    auto savedFolder = [&] {
        EXPECT_TRUE(saveSettings());
        std::string content = readWholeFile(settingsFile());
        return content.substr(content.rfind('\n') + 1);
    };
    meshScene.setTexturesDirectory("/stored");
    useTexturesDirectoryForThisRun("/this-run");
    EXPECT_STREQ(meshScene.texturesDirectory(), "/this-run");
    useTexturesDirectoryForThisRun("/again");
    EXPECT_EQ(savedFolder(), "/stored");

    platform.folderAnswer = "/chosen";
    viewerWindowProc(platform.window(), WM_COMMAND, CMD_TEXTURES_DIR, 0);
    EXPECT_EQ(savedFolder(), "/chosen");
}

} // namespace
