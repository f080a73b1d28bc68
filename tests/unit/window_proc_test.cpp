#include "app/window_proc.h"

#include "app/viewer_state.h"
#include "mesh/mesh_scene.h"
#include "platform/window_messages.h"
#include "render/mouse_orbit.h"
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
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

// What the scripted default handling answers: distinct from every answer of the procedure.
constexpr std::intptr_t defaultAnswer = 77;

const Calls closeSequence = {
    "releaseCurrentContext", "deleteGLContext gl",           "releaseDeviceContext window dc",
    "destroyWindow window",  "unregisterWindowClass OpenGL", "postQuitMessage 0",
};

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
    dragging = false;
    lastMouseX = 0;
    lastMouseY = 0;
    resetMeshScene();
}

class WindowProcTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetViewerState();
        ASSERT_TRUE(buildSettingsPath(folder.path().c_str()));
        platform.defaultAnswer = defaultAnswer;
    }
    void TearDown() override { resetViewerState(); }

    // The state an opened window leaves: class registered, every handle held.
    void holdOpenWindow() {
        ASSERT_TRUE(platform.registerWindowClass({"OpenGL", viewerWindowProc, &viewerMenu}));
        mainWindow = platform.window();
        deviceContext = platform.dc();
        glContext = platform.gl();
        platform.calls.clear();
    }

    std::intptr_t send(unsigned message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0) {
        return viewerWindowProc(platform.window(), message, wParam, lParam);
    }

    std::string settingsFile() const { return folder.file("Korvalin.ini"); }

    TempFolder folder;
    ScriptedWindowPlatform platform;
};

// --- WM_SIZE ---

struct SizeRow {
    std::intptr_t lParam;
    int width;
    int height;
};

void PrintTo(const SizeRow& row, std::ostream* out) {
    *out << "lParam " << row.lParam << " -> " << row.width << "x" << row.height;
}

class SizeMessageTest : public WindowProcTest, public ::testing::WithParamInterface<SizeRow> {};

TEST_P(SizeMessageTest, ResizesTheViewportToTheUnsignedWordsOfLParam) {
    windowWidth = 123;
    windowHeight = 456;
    EXPECT_EQ(send(WM_SIZE, 0, GetParam().lParam), 0);
    EXPECT_EQ(windowWidth, GetParam().width);
    EXPECT_EQ(windowHeight, GetParam().height);
    EXPECT_EQ(platform.calls, Calls{});
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, SizeMessageTest,
    ::testing::Values(SizeRow{makeLParam(800, 600), 800, 600},
                      // A height of 0 counts as 1.
                      SizeRow{0, 0, 1}, SizeRow{makeLParam(65535, 300), 65535, 300},
                      SizeRow{makeLParam(1, 65535), 1, 65535},
                      // Only the two low words carry the size.
                      SizeRow{static_cast<std::intptr_t>(0x7F00'0000'0000'0000) |
                                  makeLParam(320, 200),
                              320, 200}));

// --- WM_ACTIVATE ---

TEST_F(WindowProcTest, ActivationIsTakenWithoutTheDefaultHandling) {
    holdOpenWindow();
    EXPECT_EQ(send(WM_ACTIVATE, 1, 0), 0);
    EXPECT_EQ(send(WM_ACTIVATE, 0, 0), 0);
    EXPECT_EQ(platform.calls, Calls{});
}

// --- WM_PAINT ---

// Drawing resolves a group's material -1 to the previous group's number, so a drawn frame
// leaves a mark on this mesh.
void holdMeshThatShowsADrawnFrame() {
    meshScene.groupCount = 2;
    meshScene.groups.reset(new MeshGroup[2]());
    meshScene.groups[0].material = 3;
    meshScene.groups[1].material = -1;
}

bool frameWasDrawn() {
    return meshScene.groups[1].material == 3;
}

TEST_F(WindowProcTest, PaintingWhileDisabledIsTheDefaultHandling) {
    holdOpenWindow();
    holdMeshThatShowsADrawnFrame();
    EXPECT_EQ(send(WM_PAINT, 5, 6), defaultAnswer);
    EXPECT_EQ(platform.calls, Calls{"default 0x000F window 5 6"});
    EXPECT_FALSE(frameWasDrawn());
}

TEST_F(WindowProcTest, PaintingWhileEnabledValidatesDrawsAndSwaps) {
    holdOpenWindow();
    holdMeshThatShowsADrawnFrame();
    paintEnabled = true;
    bool drawnBeforeValidation = true;
    bool drawnBeforeSwap = false;
    platform.onCall = [&](const std::string& call) {
        if (call.starts_with("validateRect")) drawnBeforeValidation = frameWasDrawn();
        if (call.starts_with("swapBuffers")) drawnBeforeSwap = frameWasDrawn();
    };

    EXPECT_EQ(send(WM_PAINT), 0);

    EXPECT_EQ(platform.calls, (Calls{"validateRect window", "swapBuffers dc"}));
    EXPECT_FALSE(drawnBeforeValidation);
    EXPECT_TRUE(drawnBeforeSwap);
}

TEST_F(WindowProcTest, PaintingFallsBackToTheDefaultHandlingWhenValidationFails) {
    holdOpenWindow();
    holdMeshThatShowsADrawnFrame();
    paintEnabled = true;
    platform.fail("validateRect");

    EXPECT_EQ(send(WM_PAINT), defaultAnswer);

    EXPECT_EQ(platform.calls, (Calls{"validateRect window", "default 0x000F window 0 0"}));
    EXPECT_FALSE(frameWasDrawn());
}

// --- WM_CLOSE ---

TEST_F(WindowProcTest, CloseReleasesEverythingSavesTheSettingsAndThenQuits) {
    holdOpenWindow();
    meshScene.groupCount = 1;
    meshScene.groups.reset(new MeshGroup[1]());
    bool savedBeforeRelease = true;
    std::string savedBeforeQuit;
    platform.onCall = [&](const std::string& call) {
        if (call.starts_with("unregisterWindowClass"))
            savedBeforeRelease = std::filesystem::exists(settingsFile());
        if (call.starts_with("postQuitMessage")) savedBeforeQuit = readWholeFile(settingsFile());
    };

    EXPECT_EQ(send(WM_CLOSE), 0);

    EXPECT_EQ(platform.calls, closeSequence);
    EXPECT_FALSE(savedBeforeRelease);
    EXPECT_EQ(savedBeforeQuit, "0.1\n2\n");
    EXPECT_EQ(readWholeFile(settingsFile()), "0.1\n2\n");
    EXPECT_TRUE(platform.quitPosted);
    EXPECT_EQ(mainWindow, nullptr);
    EXPECT_EQ(deviceContext, nullptr);
    EXPECT_EQ(glContext, nullptr);
    EXPECT_EQ(meshScene.groups, nullptr);
}

// --- WM_COMMAND ---

TEST_F(WindowProcTest, TheTexturesCommandAsksForTheFolderAndCountsItChosen) {
    holdOpenWindow();
    platform.folderAnswer = "/data/textures";
    EXPECT_EQ(send(WM_COMMAND, CMD_TEXTURES_DIR), 0);
    EXPECT_EQ(platform.calls, Calls{"browseForFolder Please select the textures directory."});
    EXPECT_TRUE(meshScene.texturesDirSet);
    EXPECT_STREQ(meshScene.texturesDirectory(), "/data/textures");
}

TEST_F(WindowProcTest, ACancelledTexturesChoiceStillCountsAsSet) {
    holdOpenWindow();
    meshScene.setTexturesDirectory("/old");
    meshScene.texturesDirSet = false;
    platform.folderAnswer.clear();
    // The notification code in the high word does not change the command.
    send(WM_COMMAND, (std::uintptr_t{1} << 16) | CMD_TEXTURES_DIR);
    EXPECT_EQ(platform.calls, Calls{"browseForFolder Please select the textures directory."});
    EXPECT_TRUE(meshScene.texturesDirSet);
    EXPECT_STREQ(meshScene.texturesDirectory(), "");
}

TEST_F(WindowProcTest, TheQuitCommandClosesTheWindowBeforeItReturns) {
    holdOpenWindow();

    send(WM_COMMAND, CMD_QUIT);

    Calls expected = {"sendMessage 0x0010 window 0 0"};
    expected.insert(expected.end(), closeSequence.begin(), closeSequence.end());
    EXPECT_EQ(platform.calls, expected);
    EXPECT_TRUE(platform.quitPosted);
    EXPECT_EQ(mainWindow, nullptr);
    EXPECT_EQ(readWholeFile(settingsFile()), "0.1\n2\n");
}

TEST_F(WindowProcTest, TheAboutCommandShowsThreeLinesOwnedByTheWindow) {
    holdOpenWindow();
    send(WM_COMMAND, CMD_ABOUT);

    ASSERT_EQ(platform.calls.size(), 1u);
    const std::string& call = platform.calls[0];
    const std::string head = "messageBox About|";
    const std::string tail = "|0x40|owner=window";
    ASSERT_TRUE(call.starts_with(head) && call.ends_with(tail)) << call;
    std::string text = call.substr(head.size(), call.size() - head.size() - tail.size());
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
    EXPECT_EQ(text.find('\r'), std::string::npos);
    std::size_t firstBreak = text.find('\n');
    std::size_t lastBreak = text.rfind('\n');
    EXPECT_GT(firstBreak, 0u);
    EXPECT_GT(lastBreak, firstBreak + 1);
    EXPECT_EQ(text.substr(lastBreak + 1), " V1.1");
}

TEST_F(WindowProcTest, AnUnknownCommandDoesNothing) {
    holdOpenWindow();
    send(WM_COMMAND, 41234);
    EXPECT_EQ(platform.calls, Calls{});
    EXPECT_EQ(mainWindow, platform.window());
    EXPECT_FALSE(meshScene.texturesDirSet);
}

// The menu commands that open a chooser or a dialog: the user cancels or closes it.
struct CommandRow {
    const char* name;
    unsigned command;
    Calls calls;
};

void PrintTo(const CommandRow& row, std::ostream* out) {
    *out << row.name;
}

class DialogCommandTest : public WindowProcTest,
                          public ::testing::WithParamInterface<CommandRow> {};

TEST_P(DialogCommandTest, OpensItsDialogOwnedByTheWindowAndAnswersZero) {
    holdOpenWindow();
    platform.fileAnswer.clear();
    platform.dialogScript = {DialogAction::closeBox()};
    EXPECT_EQ(send(WM_COMMAND, GetParam().command), 0);
    EXPECT_EQ(platform.calls, GetParam().calls);
    EXPECT_FALSE(platform.dialogOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Commands, DialogCommandTest,
    ::testing::Values(
        CommandRow{"Open", CMD_OPEN, {"openFileDialog Ismarel Mesh File|*.msh|256|owner=window"}},
        CommandRow{"Sensitivity",
                   CMD_SENSITIVITY,
                   {"dialogBox 102|Sensitivity|owner=window|0",
                    "sendDialogItemMessage dialog 1002 0x0406 0 3276801",
                    "sendDialogItemMessage dialog 1002 0x0405 1 10",
                    "sendDialogItemMessage dialog 1003 0x0406 0 3276801",
                    "sendDialogItemMessage dialog 1003 0x0405 1 20", "user closes the dialog",
                    "endDialog dialog 0"}}),
    [](const ::testing::TestParamInfo<CommandRow>& row) { return std::string(row.param.name); });

// --- Pointer messages ---

struct PointerRow {
    const char* name;
    unsigned message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    Calls calls;
};

void PrintTo(const PointerRow& row, std::ostream* out) {
    *out << row.name;
}

class PointerMessageTest : public WindowProcTest,
                           public ::testing::WithParamInterface<PointerRow> {};

TEST_P(PointerMessageTest, IsTakenWithoutTheDefaultHandling) {
    holdOpenWindow();
    EXPECT_EQ(send(GetParam().message, GetParam().wParam, GetParam().lParam), 0);
    EXPECT_EQ(platform.calls, GetParam().calls);
}

// A repaint request reaches the procedure; with painting off it gets the default handling.
const Calls repaintWhilePaintingIsOff = {"sendMessage 0x000F window 0 0",
                                         "default 0x000F window 0 0"};

INSTANTIATE_TEST_SUITE_P(
    Messages, PointerMessageTest,
    ::testing::Values(
        PointerRow{
            "RightButtonDown", WM_RBUTTONDOWN, 2, makeLParam(3, 4), {"trackMouseLeave window"}},
        PointerRow{"RightButtonUp", WM_RBUTTONUP, 0, makeLParam(3, 4), {}},
        PointerRow{"Leave", WM_MOUSELEAVE, 0, 0, {}},
        PointerRow{"MoveWithoutADrag", WM_MOUSEMOVE, 2, makeLParam(9, 9), {}},
        PointerRow{"WheelNotch", WM_MOUSEWHEEL, std::uintptr_t{120} << 16, makeLParam(3, 4),
                   repaintWhilePaintingIsOff},
        PointerRow{"WheelPartOfANotch", WM_MOUSEWHEEL, std::uintptr_t{60} << 16, 0,
                   repaintWhilePaintingIsOff}),
    [](const ::testing::TestParamInfo<PointerRow>& row) { return std::string(row.param.name); });

TEST_F(WindowProcTest, ADragMoveAndAWheelTurnEachDrawAFrameAtOnce) {
    holdOpenWindow();
    holdMeshThatShowsADrawnFrame();
    paintEnabled = true;
    send(WM_RBUTTONDOWN, 2, makeLParam(10, 10));
    send(WM_MOUSEMOVE, 2, makeLParam(12, 10));
    EXPECT_TRUE(frameWasDrawn());
    send(WM_MOUSEWHEEL, std::uintptr_t{120} << 16, makeLParam(12, 10));
    EXPECT_EQ(platform.calls,
              (Calls{"trackMouseLeave window", "sendMessage 0x000F window 0 0",
                     "validateRect window", "swapBuffers dc", "sendMessage 0x000F window 0 0",
                     "validateRect window", "swapBuffers dc"}));
    EXPECT_EQ(meshScene.cameraDistance, 8.0f);
}

// --- WM_SYSCOMMAND ---

TEST_F(WindowProcTest, ScreenSaverAndMonitorPowerAreRefused) {
    holdOpenWindow();
    EXPECT_EQ(send(WM_SYSCOMMAND, SC_SCREENSAVE), 0);
    EXPECT_EQ(send(WM_SYSCOMMAND, SC_MONITORPOWER, 2), 0);
    EXPECT_EQ(platform.calls, Calls{});
}

TEST_F(WindowProcTest, OtherSystemCommandsGetTheDefaultHandling) {
    holdOpenWindow();
    EXPECT_EQ(send(WM_SYSCOMMAND, 0xF020, 9), defaultAnswer);
    EXPECT_EQ(platform.calls, Calls{"default 0x0112 window 61472 9"});
}

// --- Everything else ---

TEST_F(WindowProcTest, OtherMessagesGetTheDefaultHandlingWithTheirArguments) {
    holdOpenWindow();
    EXPECT_EQ(send(0x0400, 12345, -7), defaultAnswer);
    platform.defaultAnswer = -3;
    EXPECT_EQ(send(0x0001, 0, makeLParam(10, 20)), -3);
    EXPECT_EQ(platform.calls,
              (Calls{"default 0x0400 window 12345 -7", "default 0x0001 window 0 1310730"}));
}

} // namespace
