#include "app/viewer_state.h"
#include "app/viewer_window.h"
#include "app/window_proc.h"
#include "mesh/mesh_scene.h"
#include "platform/window_messages.h"
#include "render/sensitivity.h"
#include "render/viewport.h"
#include "resources/command_ids.h"
#include "resources/menu_template.h"
#include "settings/settings_file.h"
#include "tests/support/scene_reset.h"
#include "tests/support/scripted_window_platform.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

// The opening steps, in order, as the scripted platform records them when all succeed.
const Calls openingSteps = {
    "registerWindowClass OpenGL menu=100",
    "createWindow OpenGL Korvalin 640x480",
    "getDeviceContext window",
    "choosePixelFormat dc",
    "setPixelFormat dc 7",
    "createGLContext dc",
    "makeCurrent dc gl",
};

std::string openingError(const std::string& text) {
    return "messageBox ERROR|" + text + "|0x30|owner=none";
}

std::string closingError(const std::string& text) {
    return "messageBox SHUTDOWN ERROR|" + text + "|0x40|owner=none";
}

void resetViewerState() {
    paintEnabled = false;
    mainWindow = nullptr;
    deviceContext = nullptr;
    glContext = nullptr;
    windowWidth = 640;
    windowHeight = 480;
    mouseSensitivity = defaultMouseSensitivity;
    zoomSensitivity = defaultZoomSensitivity;
    settingsPath[0] = '\0';
    resetMeshScene();
}

// A mesh of two groups with no GL textures, so that releasing it is visible.
void holdMesh() {
    meshScene.groupCount = 2;
    meshScene.groups.reset(new MeshGroup[2]());
}

bool meshHeld() {
    return meshScene.groups != nullptr && meshScene.groupCount == 2;
}

class ViewerWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetViewerState();
        ASSERT_TRUE(buildSettingsPath(folder.path().c_str()));
    }
    void TearDown() override { resetViewerState(); }

    void holdAllHandles() {
        mainWindow = platform.window();
        deviceContext = platform.dc();
        glContext = platform.gl();
    }
    void expectNoHandles() {
        EXPECT_EQ(mainWindow, nullptr);
        EXPECT_EQ(deviceContext, nullptr);
        EXPECT_EQ(glContext, nullptr);
    }

    TempFolder folder;
    ScriptedWindowPlatform platform;
};

TEST_F(ViewerWindowTest, OpensStepByStepAndKeepsTheSizeAskedFor) {
    int widthAfterShow = 0;
    int heightAfterShow = 0;
    platform.afterShow = [&] {
        widthAfterShow = windowWidth;
        heightAfterShow = windowHeight;
    };

    ASSERT_TRUE(openViewerWindow());

    Calls expected = openingSteps;
    expected.push_back("showWindow window");
    EXPECT_EQ(platform.calls, expected);
    EXPECT_EQ(platform.registeredClass.procedure, &viewerWindowProc);
    EXPECT_EQ(platform.registeredClass.menu, &viewerMenu);
    EXPECT_TRUE(platform.pixelFormatRequest.doubleBuffer);
    EXPECT_TRUE(platform.pixelFormatRequest.rgba);
    EXPECT_EQ(platform.pixelFormatRequest.colourBits, 16);
    EXPECT_EQ(platform.pixelFormatRequest.depthBits, 16);
    EXPECT_EQ(mainWindow, platform.window());
    EXPECT_EQ(deviceContext, platform.dc());
    EXPECT_EQ(glContext, platform.gl());
    // The size message sent while showing was handled, and the size asked for wins after it.
    EXPECT_EQ(widthAfterShow, 640);
    EXPECT_EQ(heightAfterShow, 455);
    EXPECT_EQ(windowWidth, 640);
    EXPECT_EQ(windowHeight, 480);
}

TEST_F(ViewerWindowTest, TheWindowTakesTheSizeHeldWhenOpeningStarts) {
    windowWidth = 800;
    windowHeight = 600;
    ASSERT_TRUE(openViewerWindow());
    EXPECT_NE(std::find(platform.calls.begin(), platform.calls.end(),
                        "createWindow OpenGL Korvalin 800x600"),
              platform.calls.end());
    EXPECT_EQ(windowWidth, 800);
    EXPECT_EQ(windowHeight, 600);
}

TEST_F(ViewerWindowTest, AFailedClassRegistrationReleasesNothing) {
    holdMesh();
    platform.fail("registerWindowClass");

    EXPECT_FALSE(openViewerWindow());

    EXPECT_EQ(platform.calls, (Calls{"registerWindowClass OpenGL menu=100",
                                     openingError("Failed To Register The Window Class.")}));
    EXPECT_TRUE(meshHeld());
    expectNoHandles();
}

struct OpeningFailure {
    const char* step;
    const char* box;
    Calls release; // what closing finds to release at that point
};

void PrintTo(const OpeningFailure& failure, std::ostream* out) {
    *out << failure.step << " fails";
}

std::string stepName(const ::testing::TestParamInfo<OpeningFailure>& info) {
    return info.param.step;
}

class OpeningFailureTest : public ViewerWindowTest,
                           public ::testing::WithParamInterface<OpeningFailure> {};

TEST_P(OpeningFailureTest, ReleasesTheWholeChainBeforeTheBox) {
    const OpeningFailure& failure = GetParam();
    holdMesh();
    platform.fail(failure.step);
    bool meshHeldAtTheBox = true;
    platform.onCall = [&](const std::string& call) {
        if (call.starts_with("messageBox")) meshHeldAtTheBox = meshHeld();
    };

    EXPECT_FALSE(openViewerWindow());

    Calls expected;
    for (const std::string& step : openingSteps) {
        expected.push_back(step);
        if (step.starts_with(std::string(failure.step) + " ")) break;
    }
    expected.insert(expected.end(), failure.release.begin(), failure.release.end());
    expected.push_back("unregisterWindowClass OpenGL");
    expected.push_back(openingError(failure.box));
    EXPECT_EQ(platform.calls, expected);
    EXPECT_FALSE(meshHeldAtTheBox);
    EXPECT_FALSE(meshHeld());
    expectNoHandles();
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, OpeningFailureTest,
    ::testing::Values(OpeningFailure{"createWindow", "Window Creation Error.", {}},
                      OpeningFailure{"getDeviceContext",
                                     "Can't Create A GL Device Context.",
                                     {"destroyWindow window"}},
                      OpeningFailure{"choosePixelFormat",
                                     "Can't Find A Suitable PixelFormat.",
                                     {"releaseDeviceContext window dc", "destroyWindow window"}},
                      OpeningFailure{"setPixelFormat",
                                     "Can't Set The PixelFormat.",
                                     {"releaseDeviceContext window dc", "destroyWindow window"}},
                      OpeningFailure{"createGLContext",
                                     "Can't Create A GL Rendering Context.",
                                     {"releaseDeviceContext window dc", "destroyWindow window"}},
                      OpeningFailure{"makeCurrent",
                                     "Can't Activate The GL Rendering Context.",
                                     {"releaseCurrentContext", "deleteGLContext gl",
                                      "releaseDeviceContext window dc", "destroyWindow window"}}),
    stepName);

TEST_F(ViewerWindowTest, ClosingReleasesWhatIsHeldInOrderAndThenTheMesh) {
    holdAllHandles();
    holdMesh();
    bool meshHeldAtUnregister = false;
    platform.onCall = [&](const std::string& call) {
        if (call.starts_with("unregisterWindowClass")) meshHeldAtUnregister = meshHeld();
    };

    closeViewerWindow();

    EXPECT_EQ(platform.calls, (Calls{"releaseCurrentContext", "deleteGLContext gl",
                                     "releaseDeviceContext window dc", "destroyWindow window",
                                     "unregisterWindowClass OpenGL"}));
    EXPECT_TRUE(meshHeldAtUnregister);
    EXPECT_FALSE(meshHeld());
    expectNoHandles();
}

TEST_F(ViewerWindowTest, ClosingSkipsWhatIsNotHeldButAlwaysUnregistersTheClass) {
    mainWindow = platform.window();
    closeViewerWindow();
    EXPECT_EQ(platform.calls, (Calls{"destroyWindow window", "unregisterWindowClass OpenGL"}));
    expectNoHandles();

    // A second close finds nothing held.
    platform.calls.clear();
    holdMesh();
    closeViewerWindow();
    EXPECT_EQ(platform.calls, (Calls{"unregisterWindowClass OpenGL"}));
    EXPECT_FALSE(meshHeld());
}

TEST_F(ViewerWindowTest, ClosingAttemptsEveryStepAndShowsABoxForEachFailure) {
    holdAllHandles();
    holdMesh();
    for (const char* step : {"releaseCurrentContext", "deleteGLContext", "releaseDeviceContext",
                             "destroyWindow", "unregisterWindowClass"})
        platform.fail(step);

    closeViewerWindow();

    EXPECT_EQ(platform.calls, (Calls{
                                  "releaseCurrentContext",
                                  closingError("Release Of DC And RC Failed."),
                                  "deleteGLContext gl",
                                  closingError("Release Rendering Context Failed."),
                                  "releaseDeviceContext window dc",
                                  closingError("Release Device Context Failed."),
                                  "destroyWindow window",
                                  closingError("Could Not Release hWnd."),
                                  "unregisterWindowClass OpenGL",
                                  closingError("Could Not Unregister Class."),
                              }));
    EXPECT_FALSE(meshHeld());
    expectNoHandles();
}

// Opens, runs a message loop the way the program does over scripted messages, and quits from
// the menu.
TEST_F(ViewerWindowTest, OpenDrawChooseTexturesAndQuitFromTheMenu) {
    ASSERT_TRUE(openViewerWindow());
    paintEnabled = true;
    platform.folderAnswer = "/data/textures";
    WindowHandle window = platform.window();
    platform.queue = {
        {window, WM_SIZE, 0, makeLParam(1024, 700)},
        {window, WM_PAINT, 0, 0},
        {window, WM_COMMAND, CMD_TEXTURES_DIR, 0},
        {window, WM_COMMAND, CMD_QUIT, 0},
    };
    platform.calls.clear();

    Message message;
    while (platform.getMessage(message))
        platform.dispatchMessage(message);

    EXPECT_EQ(platform.calls, (Calls{
                                  "getMessage",
                                  "dispatchMessage 0x0005",
                                  "getMessage",
                                  "dispatchMessage 0x000F",
                                  "validateRect window",
                                  "swapBuffers dc",
                                  "getMessage",
                                  "dispatchMessage 0x0111",
                                  "browseForFolder Please select the textures directory.",
                                  "getMessage",
                                  "dispatchMessage 0x0111",
                                  "sendMessage 0x0010 window 0 0",
                                  "releaseCurrentContext",
                                  "deleteGLContext gl",
                                  "releaseDeviceContext window dc",
                                  "destroyWindow window",
                                  "unregisterWindowClass OpenGL",
                                  "postQuitMessage 0",
                                  "getMessage",
                              }));
    EXPECT_EQ(windowWidth, 1024);
    EXPECT_EQ(windowHeight, 700);
    EXPECT_EQ(readWholeFile(folder.file("Korvalin.ini")), "0.1\n2\n/data/textures");
    expectNoHandles();
}

} // namespace
