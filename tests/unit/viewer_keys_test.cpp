// The viewer's keys through the window procedure, on a scripted platform without GL.
#include "app/mesh_files.h"
#include "app/status_text.h"
#include "app/viewer_state.h"
#include "app/window_proc.h"
#include "mesh/mesh_scene.h"
#include "platform/virtual_keys.h"
#include "platform/window_messages.h"
#include "render/sensitivity.h"
#include "resources/menu_template.h"
#include "settings/open_mesh_command.h"
#include "tests/support/scene_reset.h"
#include "tests/support/scripted_window_platform.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

constexpr std::intptr_t defaultAnswer = 77;

std::string meshWithGroups(int groups) {
    std::string text = "MSHX1\nGROUPS " + std::to_string(groups) + "\n";
    for (int i = 0; i < groups; ++i)
        text += "LABEL g\nGEOM 3 1\n0 0 0 0 0 1 0 0\n4 0 0 0 0 1 1 0\n0 5 0 0 0 1 0 1\n0 1 2\n";
    return text;
}

class ViewerKeysTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetMeshScene();
        clearStatus();
        setWatching(false);
        platform.defaultAnswer = defaultAnswer;
        ASSERT_TRUE(platform.registerWindowClass({"OpenGL", viewerWindowProc, &viewerMenu}));
        mainWindow = platform.window();
        deviceContext = platform.dc();
        paintEnabled = true;
    }
    void TearDown() override {
        setWatching(false);
        paintEnabled = false;
        mainWindow = nullptr;
        resetMeshScene();
    }

    std::intptr_t press(unsigned key) {
        platform.calls.clear();
        return viewerWindowProc(platform.window(), WM_KEYDOWN, key, 0);
    }
    long paints() const {
        return std::count(platform.calls.begin(), platform.calls.end(), "swapBuffers dc");
    }
    void open(const std::string& path) {
        ASSERT_TRUE(openMeshPath(mainWindow, path.c_str(), paintEnabled));
        followShownMesh(mainWindow);
    }

    TempFolder folder;
    ScriptedWindowPlatform platform;
};

TEST_F(ViewerKeysTest, TurnAndZoomKeysActAsTenPixelsOfDragOrOneNotchAndPaintOnce) {
    const float turn = 10 * mouseSensitivity;
    struct Case {
        unsigned key;
        float rotationY, rotationZ, distance;
    } cases[] = {
        {VK_LEFT, 0, -turn, 10},
        {VK_RIGHT, 0, turn, 10},
        {VK_UP, turn, 0, 10},
        {VK_DOWN, -turn, 0, 10},
        {VK_OEM_PLUS, 0, 0, 10 - zoomSensitivity},
        {VK_ADD, 0, 0, 10 - zoomSensitivity},
        {VK_OEM_MINUS, 0, 0, 10 + zoomSensitivity},
        {VK_SUBTRACT, 0, 0, 10 + zoomSensitivity},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        resetMeshScene();
        EXPECT_EQ(press(c.key), 0);
        EXPECT_FLOAT_EQ(meshScene.rotationY, c.rotationY);
        EXPECT_FLOAT_EQ(meshScene.rotationZ, c.rotationZ);
        EXPECT_FLOAT_EQ(meshScene.cameraDistance, c.distance);
        EXPECT_EQ(paints(), 1);
    }
}

TEST_F(ViewerKeysTest, HomeAndEnterGoBackToTheStartView) {
    for (unsigned key : {VK_HOME, VK_RETURN}) {
        press(VK_LEFT);
        press(VK_DOWN);
        press(VK_ADD);
        EXPECT_EQ(press(key), 0);
        EXPECT_EQ(meshScene.rotationY, 0.0f);
        EXPECT_EQ(meshScene.rotationZ, 0.0f);
        EXPECT_EQ(meshScene.cameraDistance, 10.0f);
        EXPECT_EQ(paints(), 1);
    }
}

TEST_F(ViewerKeysTest, OtherKeysGetTheDefaultHandling) {
    for (unsigned key : {0x1Bu /* Escape */, unsigned('Q'), VK_END, 0x71u /* F2 */}) {
        EXPECT_EQ(press(key), defaultAnswer);
        EXPECT_EQ(paints(), 0);
    }
}

TEST_F(ViewerKeysTest, BoxFullScreenAndStatusLine) {
    press('H');
    EXPECT_EQ(platform.calls.at(0).rfind("messageBox Korvalin keys|", 0), 0u);
    press(VK_F11);
    press(VK_F11);
    EXPECT_EQ(platform.calls, std::vector<std::string>{"setFullScreen window 0"});
    press('L');
    EXPECT_STREQ(statusText(), "shading on");
    // The next input takes the line away and draws once without it.
    platform.calls.clear();
    viewerWindowProc(platform.window(), WM_RBUTTONDOWN, 0, 0);
    EXPECT_STREQ(statusText(), "");
    EXPECT_EQ(paints(), 1);
    press('L');
    EXPECT_STREQ(statusText(), "shading off");
}

TEST_F(ViewerKeysTest, PageDownAndUpSkipBrokenFilesAndWrapAround) {
    folder.write("a.msh", meshWithGroups(1));
    folder.write("b.msh", "not a mesh\n");
    folder.write("c.MSH", meshWithGroups(3));
    folder.write("d.txt", meshWithGroups(4));
    open(folder.file("a.msh"));
    press(VK_NEXT);
    EXPECT_EQ(shownMeshFile(), folder.file("c.MSH"));
    EXPECT_EQ(meshScene.groupCount, 3);
    EXPECT_NE(std::string(statusText()).find("b.msh"), std::string::npos) << statusText();
    press(VK_NEXT);
    EXPECT_EQ(shownMeshFile(), folder.file("a.msh"));
    press(VK_PRIOR);
    EXPECT_EQ(shownMeshFile(), folder.file("c.MSH"));
    EXPECT_FALSE(platform.exitStatus.has_value());
}

TEST_F(ViewerKeysTest, ReloadReadsTheFileAgainAndKeepsTheModelWhenItFails) {
    const std::string path = folder.write("m.msh", meshWithGroups(1));
    open(path);
    press(VK_RIGHT);
    folder.write("m.msh", meshWithGroups(2));
    press(VK_F5);
    EXPECT_EQ(meshScene.groupCount, 2);
    EXPECT_FLOAT_EQ(meshScene.rotationZ, 10 * mouseSensitivity);
    folder.write("m.msh", "MSHX1\nGROUPS 99999\n");
    press(VK_F5);
    EXPECT_EQ(meshScene.groupCount, 2);
    EXPECT_TRUE(paintEnabled);
    EXPECT_NE(std::string(statusText()).find("m.msh"), std::string::npos);
    EXPECT_FALSE(platform.exitStatus.has_value());
}

TEST_F(ViewerKeysTest, AWatchedFileIsReadAgainWhenItSettles) {
    setWatching(true);
    const std::string path = folder.write("w.msh", meshWithGroups(1));
    open(path);
    EXPECT_NE(std::find(platform.calls.begin(), platform.calls.end(), "watchFiles window " + path),
              platform.calls.end());
    folder.write("w.msh", meshWithGroups(2));
    platform.calls.clear();
    viewerWindowProc(platform.window(), WM_FILE_CHANGED, 0, 0);
    EXPECT_EQ(platform.calls, std::vector<std::string>{"setTimer window 1 300"});
    EXPECT_EQ(meshScene.groupCount, 1);
    viewerWindowProc(platform.window(), WM_TIMER, 1, 0);
    EXPECT_EQ(meshScene.groupCount, 2);
}

} // namespace
