#include "render/mouse_orbit.h"

#include "app/viewer_state.h"
#include "app/window_proc.h"
#include "mesh/mesh_scene.h"
#include "platform/window_messages.h"
#include "render/sensitivity.h"
#include "tests/support/scene_reset.h"
#include "tests/support/scripted_window_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

// The right button's flag in the key state of a mouse message.
constexpr std::uintptr_t rightButtonHeld = 0x0002;
const std::string repaintRequest = "sendMessage 0x000F window 0 0";

void resetOrbitState() {
    resetMeshScene();
    mouseSensitivity = defaultMouseSensitivity;
    zoomSensitivity = defaultZoomSensitivity;
    dragging = false;
    lastMouseX = 0;
    lastMouseY = 0;
    paintEnabled = false;
    mainWindow = nullptr;
    deviceContext = nullptr;
    glContext = nullptr;
}

// A pointer position as lParam carries it: x and y as 16-bit words.
std::intptr_t at(int x, int y) {
    return makeLParam(static_cast<unsigned>(x), static_cast<unsigned>(y));
}

// A wheel turn as wParam carries it: the delta in the high word, the key state in the low one.
std::uintptr_t wheelTurn(int delta, std::uintptr_t keys = 0) {
    return (static_cast<std::uintptr_t>(static_cast<std::uint16_t>(delta)) << 16) | keys;
}

// The mouse messages go to the window procedure as the platform delivers them. No window class
// is registered, so a repaint request is recorded and goes no further.
class MouseOrbitTest : public ::testing::Test {
  protected:
    void SetUp() override { resetOrbitState(); }
    void TearDown() override { resetOrbitState(); }

    std::intptr_t send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
        return viewerWindowProc(platform.window(), message, wParam, lParam);
    }
    void press(int x, int y) { EXPECT_EQ(send(WM_RBUTTONDOWN, rightButtonHeld, at(x, y)), 0); }
    void move(int x, int y, std::uintptr_t keys = rightButtonHeld) {
        EXPECT_EQ(send(WM_MOUSEMOVE, keys, at(x, y)), 0);
    }
    void release(int x, int y) { EXPECT_EQ(send(WM_RBUTTONUP, 0, at(x, y)), 0); }
    void leave() { EXPECT_EQ(send(WM_MOUSELEAVE, 0, 0), 0); }
    void wheel(int delta) { EXPECT_EQ(send(WM_MOUSEWHEEL, wheelTurn(delta), at(320, 240)), 0); }

    long repaints() const {
        return std::count(platform.calls.begin(), platform.calls.end(), repaintRequest);
    }

    ScriptedWindowPlatform platform;
};

// --- Turning ---

TEST_F(MouseOrbitTest, ADragTurnsBySensitivityDegreesPerPixel) {
    press(100, 100);
    move(110, 95);

    // Right raises rotationZ, up (a smaller y) raises rotationY.
    float turnZ = 0.1f * 10.0f;
    float turnY = 0.1f * -5.0f;
    EXPECT_EQ(meshScene.rotationZ, 0.0f + turnZ);
    EXPECT_EQ(meshScene.rotationY, 0.0f - turnY);
    EXPECT_FLOAT_EQ(meshScene.rotationZ, 1.0f);
    EXPECT_FLOAT_EQ(meshScene.rotationY, 0.5f);
    EXPECT_EQ(lastMouseX, 110);
    EXPECT_EQ(lastMouseY, 95);
    EXPECT_TRUE(dragging);
    EXPECT_EQ(platform.calls, (Calls{"trackMouseLeave window", repaintRequest}));
}

TEST_F(MouseOrbitTest, EachMoveTurnsByItsOwnStepFromThePreviousPosition) {
    press(0, 0);
    move(4, 0);
    move(4, 6);
    move(1, 6);

    float z = 0.0f;
    z = z + 0.1f * 4.0f;
    z = z + 0.1f * 0.0f;
    z = z + 0.1f * -3.0f;
    float y = 0.0f;
    y = y - 0.1f * 0.0f;
    y = y - 0.1f * 6.0f;
    y = y - 0.1f * 0.0f;
    EXPECT_EQ(meshScene.rotationZ, z);
    EXPECT_EQ(meshScene.rotationY, y);
    EXPECT_EQ(repaints(), 3);
}

TEST_F(MouseOrbitTest, EachTurnIsRoundedToAFloatBeforeItIsAdded) {
    // From 0.37, seven pixels at 0.1 give 1.06999993 in single precision; adding the unrounded
    // product would give 1.07000005.
    meshScene.rotationZ = 0.37f;
    meshScene.rotationY = 0.37f;
    press(0, 0);
    move(7, -7);

    float turnZ = 0.1f * 7.0f;
    float turnY = 0.1f * -7.0f;
    float expectedZ = 0.37f + turnZ;
    float expectedY = 0.37f - turnY;
    EXPECT_EQ(meshScene.rotationZ, expectedZ);
    EXPECT_EQ(meshScene.rotationY, expectedY);
    EXPECT_NE(meshScene.rotationZ,
              static_cast<float>(static_cast<double>(0.37f) + static_cast<double>(0.1f) * 7.0));
}

TEST_F(MouseOrbitTest, TheSensitivityInForceAtEachMoveIsUsed) {
    press(0, 0);
    mouseSensitivity = 0.5f;
    move(4, 0);
    mouseSensitivity = 0.25f;
    move(4, 8);
    EXPECT_EQ(meshScene.rotationZ, 2.0f);
    EXPECT_EQ(meshScene.rotationY, -2.0f);
}

TEST_F(MouseOrbitTest, TurningPastAFullCircleKeepsGrowingAndIsNeverWrapped) {
    press(0, 0);
    float z = 0.0f;
    float y = 0.0f;
    for (int step = 1; step <= 100; ++step) {
        move(step * 50, step * 40);
        z = z + 0.1f * 50.0f;
        y = y - 0.1f * 40.0f;
    }
    EXPECT_EQ(meshScene.rotationZ, z);
    EXPECT_EQ(meshScene.rotationY, y);
    EXPECT_GT(meshScene.rotationZ, 480.0f);
    EXPECT_LT(meshScene.rotationY, -390.0f);
    EXPECT_EQ(repaints(), 100);
}

TEST_F(MouseOrbitTest, PositionsAreSignedWords) {
    press(-5, -10);
    EXPECT_EQ(lastMouseX, -5);
    EXPECT_EQ(lastMouseY, -10);
    move(5, -20);
    EXPECT_EQ(meshScene.rotationZ, 0.1f * 10.0f);
    EXPECT_EQ(meshScene.rotationY, 0.0f - 0.1f * -10.0f);
    EXPECT_EQ(lastMouseX, 5);
    EXPECT_EQ(lastMouseY, -20);
}

TEST_F(MouseOrbitTest, AMoveAcrossTheWholeWordRangeIsOneLongStep) {
    press(-32768, 32767);
    move(32767, -32768);
    EXPECT_EQ(meshScene.rotationZ, 0.1f * 65535.0f);
    EXPECT_EQ(meshScene.rotationY, 0.0f - 0.1f * -65535.0f);
    EXPECT_EQ(lastMouseX, 32767);
    EXPECT_EQ(lastMouseY, -32768);
}

TEST_F(MouseOrbitTest, OnlyTheTwoLowWordsOfLParamCarryThePosition) {
    const std::intptr_t highBits = static_cast<std::intptr_t>(0x7F00'0000'0000'0000);
    EXPECT_EQ(send(WM_RBUTTONDOWN, rightButtonHeld, highBits | at(10, 20)), 0);
    EXPECT_EQ(send(WM_MOUSEMOVE, rightButtonHeld, highBits | at(12, 20)), 0);
    EXPECT_EQ(lastMouseX, 12);
    EXPECT_EQ(lastMouseY, 20);
    EXPECT_EQ(meshScene.rotationZ, 0.1f * 2.0f);
}

// --- Starting and ending a drag ---

TEST_F(MouseOrbitTest, APressAsksForTheLeaveNoticeOfItsWindowAndDrawsNothing) {
    press(30, 40);
    EXPECT_EQ(platform.calls, Calls{"trackMouseLeave window"});
    EXPECT_TRUE(dragging);
    EXPECT_EQ(lastMouseX, 30);
    EXPECT_EQ(lastMouseY, 40);
    EXPECT_EQ(meshScene.rotationY, 0.0f);
    EXPECT_EQ(meshScene.rotationZ, 0.0f);
}

TEST_F(MouseOrbitTest, BeginDragAsksTheWindowItIsGiven) {
    beginDrag(platform.dc(), 1, 2);
    beginDrag(nullptr, 3, 4);
    EXPECT_EQ(platform.calls, (Calls{"trackMouseLeave dc", "trackMouseLeave none"}));
    EXPECT_EQ(lastMouseX, 3);
    EXPECT_EQ(lastMouseY, 4);
}

TEST_F(MouseOrbitTest, ADragStartsEvenWhenTheLeaveNoticeIsRefused) {
    platform.fail("trackMouseLeave");
    press(10, 10);
    move(20, 10);
    EXPECT_TRUE(dragging);
    EXPECT_EQ(meshScene.rotationZ, 0.1f * 10.0f);
}

TEST_F(MouseOrbitTest, AMoveWithoutAPressChangesNothingAndAsksForNoFrame) {
    lastMouseX = 7;
    lastMouseY = 8;
    move(50, 60);
    move(-50, 90, 0);
    EXPECT_EQ(platform.calls, Calls{});
    EXPECT_EQ(lastMouseX, 7);
    EXPECT_EQ(lastMouseY, 8);
    EXPECT_EQ(meshScene.rotationY, 0.0f);
    EXPECT_EQ(meshScene.rotationZ, 0.0f);
    EXPECT_FALSE(dragging);
}

struct EndRow {
    const char* name;
    unsigned message;
};

void PrintTo(const EndRow& row, std::ostream* out) {
    *out << row.name;
}

class DragEndTest : public MouseOrbitTest, public ::testing::WithParamInterface<EndRow> {
  protected:
    void end(int x, int y) { EXPECT_EQ(send(GetParam().message, 0, at(x, y)), 0); }
};

TEST_P(DragEndTest, WithoutAPressChangesNothing) {
    lastMouseX = 7;
    lastMouseY = 8;
    end(100, 100);
    move(120, 130);
    EXPECT_EQ(platform.calls, Calls{});
    EXPECT_FALSE(dragging);
    EXPECT_EQ(lastMouseX, 7);
    EXPECT_EQ(lastMouseY, 8);
    EXPECT_EQ(meshScene.rotationY, 0.0f);
    EXPECT_EQ(meshScene.rotationZ, 0.0f);
}

TEST_P(DragEndTest, EndsTheDragWithoutAFrameAndLaterMovesTurnNothing) {
    press(100, 100);
    move(105, 100);
    platform.calls.clear();

    end(105, 100);
    EXPECT_FALSE(dragging);
    EXPECT_EQ(platform.calls, Calls{});

    // The button may still be held after a leave; without a new press nothing turns.
    move(150, 170);
    EXPECT_EQ(platform.calls, Calls{});
    EXPECT_EQ(meshScene.rotationZ, 0.1f * 5.0f);
    EXPECT_EQ(meshScene.rotationY, 0.0f);
    EXPECT_EQ(lastMouseX, 105);
    EXPECT_EQ(lastMouseY, 100);
}

INSTANTIATE_TEST_SUITE_P(Ends, DragEndTest,
                         ::testing::Values(EndRow{"ButtonUp", WM_RBUTTONUP},
                                           EndRow{"Leave", WM_MOUSELEAVE}),
                         [](const ::testing::TestParamInfo<EndRow>& row) {
                             return std::string(row.param.name);
                         });

TEST_F(MouseOrbitTest, ASecondDragStartsFromItsOwnPress) {
    press(100, 100);
    move(110, 100);
    release(110, 100);
    press(300, 300);
    move(301, 300);
    float first = 0.0f + 0.1f * 10.0f;
    EXPECT_EQ(meshScene.rotationZ, first + 0.1f * 1.0f);
    EXPECT_EQ(meshScene.rotationY, 0.0f);
}

TEST_F(MouseOrbitTest, APressDuringADragRestartsFromTheNewPosition) {
    press(100, 100);
    press(200, 250);
    EXPECT_EQ(lastMouseX, 200);
    EXPECT_EQ(lastMouseY, 250);
    move(201, 250);
    EXPECT_EQ(meshScene.rotationZ, 0.1f * 1.0f);
    EXPECT_EQ(meshScene.rotationY, 0.0f);
    EXPECT_EQ(platform.calls,
              (Calls{"trackMouseLeave window", "trackMouseLeave window", repaintRequest}));
}

// --- Zooming ---

struct WheelRow {
    int delta;
    std::uintptr_t keys;
    float distance; // from 10 at 2 units a notch
};

void PrintTo(const WheelRow& row, std::ostream* out) {
    *out << "delta " << row.delta << " keys " << row.keys << " -> " << row.distance;
}

class WheelTest : public MouseOrbitTest, public ::testing::WithParamInterface<WheelRow> {};

TEST_P(WheelTest, MovesTheEyeByWholeNotchesAndAsksForOneFrame) {
    ASSERT_EQ(meshScene.cameraDistance, 10.0f);
    EXPECT_EQ(send(WM_MOUSEWHEEL, wheelTurn(GetParam().delta, GetParam().keys), at(5, 5)), 0);
    EXPECT_EQ(meshScene.cameraDistance, GetParam().distance);
    EXPECT_EQ(platform.calls, Calls{repaintRequest});
    EXPECT_FALSE(dragging);
}

INSTANTIATE_TEST_SUITE_P(
    Deltas, WheelTest,
    ::testing::Values(WheelRow{120, 0, 8.0f}, WheelRow{240, 0, 6.0f}, WheelRow{-360, 0, 16.0f},
                      // Part of a notch is dropped, toward zero.
                      WheelRow{60, 0, 10.0f}, WheelRow{119, 0, 10.0f}, WheelRow{-119, 0, 10.0f},
                      WheelRow{130, 0, 8.0f}, WheelRow{-130, 0, 12.0f}, WheelRow{0, 0, 10.0f},
                      // Keys held in the low word do not change the turn.
                      WheelRow{120, 0x0008, 8.0f}, WheelRow{-240, 0x0004, 14.0f},
                      // The delta is a signed word: -32768 is 273 notches toward the user.
                      WheelRow{-32768, 0, 556.0f}, WheelRow{32767, 0, 0.1f}));

TEST_F(MouseOrbitTest, TheNewDistanceIsWorkedOutExactlyAndRoundedOnce) {
    // 10 - 7 x 0.3f is 7.9000001 rounded once; rounding the product first gives 7.8999996.
    zoomSensitivity = 0.3f;
    wheel(7 * 120);
    EXPECT_EQ(meshScene.cameraDistance, static_cast<float>(10.0 - 7.0 * static_cast<double>(0.3f)));
    float productFirst = 7.0f * 0.3f;
    EXPECT_NE(meshScene.cameraDistance, 10.0f - productFirst);

    // 10 - 5 x 1.2f is 3.9999998 rounded once, not 4.
    meshScene.cameraDistance = 10.0f;
    zoomSensitivity = 1.2f;
    wheel(5 * 120);
    EXPECT_EQ(meshScene.cameraDistance, static_cast<float>(10.0 - 5.0 * static_cast<double>(1.2f)));
    EXPECT_LT(meshScene.cameraDistance, 4.0f);
}

TEST_F(MouseOrbitTest, TheEyeStopsAtOneTenth) {
    meshScene.cameraDistance = 1.0f;
    wheel(120);
    EXPECT_EQ(meshScene.cameraDistance, 0.1f);
    wheel(120);
    EXPECT_EQ(meshScene.cameraDistance, 0.1f);
    wheel(3 * 120);
    EXPECT_EQ(meshScene.cameraDistance, 0.1f);
    EXPECT_EQ(repaints(), 3);
}

TEST_F(MouseOrbitTest, ADistanceOfExactlyOneTenthOrJustAboveIsKept) {
    // 1/64 is exact in binary, so these sums and differences are exact.
    zoomSensitivity = 0.015625f;
    meshScene.cameraDistance = 0.1f + 0.015625f;
    zoomBy(1);
    EXPECT_EQ(meshScene.cameraDistance, 0.1f);
    zoomBy(0);
    EXPECT_EQ(meshScene.cameraDistance, 0.1f);

    float justAbove = std::nextafter(0.1f, 1.0f);
    meshScene.cameraDistance = justAbove + 0.015625f;
    zoomBy(1);
    EXPECT_EQ(meshScene.cameraDistance, justAbove);

    meshScene.cameraDistance = std::nextafter(0.1f, 0.0f) + 0.015625f;
    zoomBy(1);
    EXPECT_EQ(meshScene.cameraDistance, 0.1f);
}

TEST_F(MouseOrbitTest, TheEyeComesBackFromTheNearestDistance) {
    meshScene.cameraDistance = 0.1f;
    wheel(-120);
    EXPECT_EQ(meshScene.cameraDistance, static_cast<float>(static_cast<double>(0.1f) + 2.0));
}

TEST_F(MouseOrbitTest, ANaNDistanceOrSensitivityIsKeptAsItIs) {
    meshScene.cameraDistance = std::numeric_limits<float>::quiet_NaN();
    wheel(120);
    EXPECT_TRUE(std::isnan(meshScene.cameraDistance));

    meshScene.cameraDistance = 10.0f;
    zoomSensitivity = std::numeric_limits<float>::quiet_NaN();
    wheel(-120);
    EXPECT_TRUE(std::isnan(meshScene.cameraDistance));
    EXPECT_EQ(repaints(), 2);
}

TEST_F(MouseOrbitTest, TheEyeHasNoFarthestDistance) {
    for (int turn = 0; turn < 10; ++turn)
        wheel(-32768);
    EXPECT_EQ(meshScene.cameraDistance, 10.0f + 10 * 273 * 2.0f);

    meshScene.cameraDistance = 1.0e7f;
    wheel(-120);
    EXPECT_EQ(meshScene.cameraDistance, 10000002.0f);

    meshScene.cameraDistance = 1.0e30f;
    zoomSensitivity = 1.0e30f;
    zoomBy(-2);
    EXPECT_EQ(meshScene.cameraDistance, static_cast<float>(3.0 * static_cast<double>(1.0e30f)));
}

TEST_F(MouseOrbitTest, TheWheelDuringADragZoomsAndKeepsTheDrag) {
    press(10, 10);
    wheel(120);
    move(20, 10);
    EXPECT_EQ(meshScene.cameraDistance, 8.0f);
    EXPECT_TRUE(dragging);
    EXPECT_EQ(meshScene.rotationZ, 0.1f * 10.0f);
    EXPECT_EQ(repaints(), 2);
}

} // namespace
