#include "settings/sensitivity_dialog.h"

#include "app/viewer_state.h"
#include "app/window_proc.h"
#include "mesh/mesh_scene.h"
#include "platform/window_messages.h"
#include "render/mouse_orbit.h"
#include "render/sensitivity.h"
#include "resources/command_ids.h"
#include "resources/dialog_template.h"
#include "resources/menu_template.h"
#include "tests/support/scene_reset.h"
#include "tests/support/scripted_window_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

constexpr float notANumber = std::numeric_limits<float>::quiet_NaN();
constexpr float infinity = std::numeric_limits<float>::infinity();

void resetDialogState() {
    mouseSensitivity = defaultMouseSensitivity;
    zoomSensitivity = defaultZoomSensitivity;
    paintEnabled = false;
    mainWindow = nullptr;
    deviceContext = nullptr;
    glContext = nullptr;
    dragging = false;
    lastMouseX = 0;
    lastMouseY = 0;
    resetMeshScene();
}

std::uint32_t bitsOf(float value) {
    return std::bit_cast<std::uint32_t>(value);
}

// The value of a position written out in decimals and read back as a float: "0.29" for mouse
// position 29, "2.9" for zoom position 29.
float mouseValueOf(int position) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%02d", position / 100, position % 100);
    return std::strtof(text, nullptr);
}
float zoomValueOf(int position) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%d", position / 10, position % 10);
    return std::strtof(text, nullptr);
}

std::string itemCall(unsigned controlId, unsigned message, std::uintptr_t wParam,
                     std::intptr_t lParam) {
    return "sendDialogItemMessage dialog " + std::to_string(controlId) + " " +
           messageName(message) + " " + std::to_string(wParam) + " " + std::to_string(lParam);
}

std::string setRange(unsigned controlId) {
    return itemCall(controlId, TBM_SETRANGE, 0, makeLParam(1, 50));
}
std::string setPosition(unsigned controlId, int position) {
    return itemCall(controlId, TBM_SETPOS, 1, position);
}
std::string getPosition(unsigned controlId) {
    return itemCall(controlId, TBM_GETPOS, 0, 0);
}

const std::string openedLine = "dialogBox 102|Sensitivity|owner=window|0";
const std::string closedByTheProgram = "sendMessage 0x0010 dialog 0 0";
const std::string ended = "endDialog dialog 0";

class SensitivityDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { resetDialogState(); }
    void TearDown() override { resetDialogState(); }

    // Opens the dialog as the Sensitivity command does and lets the user act on it.
    std::intptr_t open(std::initializer_list<DialogAction> actions) {
        platform.dialogScript.insert(platform.dialogScript.end(), actions.begin(), actions.end());
        return platform.dialogBox(sensitivityDialog, platform.window(), sensitivityDialogProc, 0);
    }

    int shown(unsigned slider) const { return platform.trackbars.at(slider).position; }

    // The lines recorded after the first one equal to `line`.
    Calls callsAfter(const std::string& line) const {
        auto found = std::find(platform.calls.begin(), platform.calls.end(), line);
        if (found == platform.calls.end()) return {"(no " + line + ")"};
        return Calls(found + 1, platform.calls.end());
    }

    ScriptedWindowPlatform platform;
};

// --- Opening ---

TEST_F(SensitivityDialogTest, OpeningWithTheDefaultsShowsTenAndTwenty) {
    int mouseShown = 0;
    int zoomShown = 0;
    ScriptedTrackbar mouseBar;
    ScriptedTrackbar zoomBar;
    EXPECT_EQ(open({DialogAction::look([&] {
                        mouseShown = shown(IDC_MOUSE_SLIDER);
                        zoomShown = shown(IDC_ZOOM_SLIDER);
                        mouseBar = platform.trackbars.at(IDC_MOUSE_SLIDER);
                        zoomBar = platform.trackbars.at(IDC_ZOOM_SLIDER);
                    }),
                    DialogAction::closeBox()}),
              0);

    EXPECT_EQ(mouseShown, 10);
    EXPECT_EQ(zoomShown, 20);
    EXPECT_EQ(mouseBar.minimum, 1);
    EXPECT_EQ(mouseBar.maximum, 50);
    EXPECT_EQ(zoomBar.minimum, 1);
    EXPECT_EQ(zoomBar.maximum, 50);
    EXPECT_EQ(platform.calls,
              (Calls{openedLine, setRange(IDC_MOUSE_SLIDER), setPosition(IDC_MOUSE_SLIDER, 10),
                     setRange(IDC_ZOOM_SLIDER), setPosition(IDC_ZOOM_SLIDER, 20),
                     "user closes the dialog", ended}));
    EXPECT_EQ(mouseSensitivity, 0.1f);
    EXPECT_EQ(zoomSensitivity, 2.0f);
}

struct ShownRow {
    float mouse;
    float zoom;
    int mousePosition;
    int zoomPosition;
};

void PrintTo(const ShownRow& row, std::ostream* out) {
    *out << "mouse " << row.mouse << " zoom " << row.zoom << " -> " << row.mousePosition << ", "
         << row.zoomPosition;
}

class ShownPositionTest : public SensitivityDialogTest,
                          public ::testing::WithParamInterface<ShownRow> {};

TEST_P(ShownPositionTest, AValueShowsAtTheNearestPositionWithinOneToFifty) {
    mouseSensitivity = GetParam().mouse;
    zoomSensitivity = GetParam().zoom;
    int mouseShown = 0;
    int zoomShown = 0;
    open({DialogAction::look([&] {
              mouseShown = shown(IDC_MOUSE_SLIDER);
              zoomShown = shown(IDC_ZOOM_SLIDER);
          }),
          DialogAction::closeBox()});

    EXPECT_EQ(mouseShown, GetParam().mousePosition);
    EXPECT_EQ(zoomShown, GetParam().zoomPosition);
    // The dialog itself keeps the position within the range, whatever the trackbar would do.
    ASSERT_GE(platform.calls.size(), 5u);
    EXPECT_EQ(platform.calls[2], setPosition(IDC_MOUSE_SLIDER, GetParam().mousePosition));
    EXPECT_EQ(platform.calls[4], setPosition(IDC_ZOOM_SLIDER, GetParam().zoomPosition));
    EXPECT_EQ(sliderPosition(GetParam().mouse, mouseScale), GetParam().mousePosition);
    EXPECT_EQ(sliderPosition(GetParam().zoom, zoomScale), GetParam().zoomPosition);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ShownPositionTest,
    ::testing::Values(
        // Rounded, not cut: 0.29f is 28.9999... hundredths, 0.7f is 6.9999... tenths.
        ShownRow{0.29f, 0.7f, 29, 7}, ShownRow{0.57f, 2.9f, 50, 29},
        ShownRow{0.294f, 2.94f, 29, 29}, ShownRow{0.296f, 2.96f, 30, 30},
        ShownRow{0.0149f, 0.149f, 1, 1}, ShownRow{0.0151f, 0.151f, 2, 2},
        ShownRow{0.494f, 4.94f, 49, 49}, ShownRow{0.496f, 4.96f, 50, 50},
        ShownRow{0.504f, 5.04f, 50, 50},
        // Just below a half: 0.055f is 5.4999999 hundredths and 0.45f is 4.4999999 tenths, which
        // round down; rounding the single-precision product would give the next position up.
        ShownRow{0.055f, 0.45f, 5, 4}, ShownRow{0.015f, 0.35f, 1, 3},
        // Out of scale: the nearest end.
        ShownRow{0.005f, 0.01f, 1, 1}, ShownRow{0.8f, 9.0f, 50, 50}, ShownRow{0.0f, 0.0f, 1, 1},
        ShownRow{-3.0f, -1.0f, 1, 1}, ShownRow{notANumber, notANumber, 1, 1},
        ShownRow{1.0e30f, 1.0e30f, 50, 50}, ShownRow{infinity, infinity, 50, 50},
        ShownRow{-infinity, -infinity, 1, 1}));

// --- Default Settings ---

TEST_F(SensitivityDialogTest, DefaultSettingsAppliesAtOnceAndTheDialogStaysOpen) {
    mouseSensitivity = 0.37f;
    zoomSensitivity = 4.2f;
    float mouseThen = 0;
    float zoomThen = 0;
    int mouseShown = 0;
    int zoomShown = 0;
    bool openThen = false;
    open({DialogAction::moveSlider(IDC_MOUSE_SLIDER, 3), DialogAction::press(IDC_DEFAULTS),
          DialogAction::look([&] {
              mouseThen = mouseSensitivity;
              zoomThen = zoomSensitivity;
              mouseShown = shown(IDC_MOUSE_SLIDER);
              zoomShown = shown(IDC_ZOOM_SLIDER);
              openThen = platform.dialogOpen();
          }),
          DialogAction::press(IDC_CANCEL)});

    EXPECT_EQ(mouseThen, 0.1f);
    EXPECT_EQ(zoomThen, 2.0f);
    EXPECT_EQ(mouseShown, 10);
    EXPECT_EQ(zoomShown, 20);
    EXPECT_TRUE(openThen);
    EXPECT_EQ(callsAfter("user presses 1000"),
              (Calls{setPosition(IDC_MOUSE_SLIDER, 10), setPosition(IDC_ZOOM_SLIDER, 20),
                     "user presses 1005", closedByTheProgram, ended}));
    // "Annuler" does not bring back what was there before.
    EXPECT_EQ(mouseSensitivity, 0.1f);
    EXPECT_EQ(zoomSensitivity, 2.0f);
}

TEST_F(SensitivityDialogTest, DefaultSettingsThenTheCloseBoxKeepsTheDefaults) {
    mouseSensitivity = 0.03f;
    zoomSensitivity = 0.5f;
    EXPECT_EQ(open({DialogAction::press(IDC_DEFAULTS), DialogAction::closeBox()}), 0);
    EXPECT_EQ(mouseSensitivity, 0.1f);
    EXPECT_EQ(zoomSensitivity, 2.0f);
}

// --- Leaving without OK ---

TEST_F(SensitivityDialogTest, MovingTheSlidersThenAnnulerChangesNothing) {
    mouseSensitivity = 0.37f;
    zoomSensitivity = 4.2f;
    EXPECT_EQ(
        open({DialogAction::moveSlider(IDC_MOUSE_SLIDER, 5),
              DialogAction::moveSlider(IDC_ZOOM_SLIDER, 45), DialogAction::press(IDC_CANCEL)}),
        0);
    EXPECT_EQ(mouseSensitivity, 0.37f);
    EXPECT_EQ(zoomSensitivity, 4.2f);
    EXPECT_EQ(callsAfter("user presses 1005"), (Calls{closedByTheProgram, ended}));
    EXPECT_FALSE(platform.dialogLeftOpen);
}

TEST_F(SensitivityDialogTest, MovingTheSlidersThenTheCloseBoxChangesNothing) {
    mouseSensitivity = 0.37f;
    zoomSensitivity = 4.2f;
    EXPECT_EQ(open({DialogAction::moveSlider(IDC_MOUSE_SLIDER, 5),
                    DialogAction::moveSlider(IDC_ZOOM_SLIDER, 45), DialogAction::closeBox()}),
              0);
    EXPECT_EQ(mouseSensitivity, 0.37f);
    EXPECT_EQ(zoomSensitivity, 4.2f);
    EXPECT_EQ(callsAfter("user closes the dialog"), Calls{ended});
}

TEST_F(SensitivityDialogTest, EscapeDoesNothingAndTheDialogStaysOpen) {
    mouseSensitivity = 0.37f;
    bool openAfterEscape = false;
    open({DialogAction::moveSlider(IDC_MOUSE_SLIDER, 40), DialogAction::escape(),
          DialogAction::look([&] { openAfterEscape = platform.dialogOpen(); })});

    EXPECT_TRUE(openAfterEscape);
    EXPECT_TRUE(platform.dialogLeftOpen);
    EXPECT_EQ(callsAfter("user presses 2"), Calls{});
    EXPECT_EQ(mouseSensitivity, 0.37f);
    EXPECT_EQ(zoomSensitivity, 2.0f);
}

TEST_F(SensitivityDialogTest, AfterEscapeOkStillStoresTheSliders) {
    EXPECT_EQ(open({DialogAction::moveSlider(IDC_MOUSE_SLIDER, 40), DialogAction::escape(),
                    DialogAction::press(IDC_OK)}),
              0);
    EXPECT_EQ(mouseSensitivity, 0.4f);
    EXPECT_FALSE(platform.dialogLeftOpen);
}

TEST_F(SensitivityDialogTest, OtherControlIdsDoNothing) {
    mouseSensitivity = 0.37f;
    zoomSensitivity = 4.2f;
    open({DialogAction::moveSlider(IDC_MOUSE_SLIDER, 12), DialogAction::press(IDC_MOUSE_SLIDER),
          DialogAction::press(IDC_ZOOM_SLIDER), DialogAction::press(IDC_STATIC),
          DialogAction::press(1001), DialogAction::press(IDOK), DialogAction::press(0)});

    EXPECT_TRUE(platform.dialogLeftOpen);
    EXPECT_EQ(callsAfter("user moves 1002 to 12"),
              (Calls{"user presses 1002", "user presses 1003", "user presses 65535",
                     "user presses 1001", "user presses 1", "user presses 0"}));
    EXPECT_EQ(mouseSensitivity, 0.37f);
    EXPECT_EQ(zoomSensitivity, 4.2f);
}

TEST_F(SensitivityDialogTest, EveryMessageIsAnsweredZero) {
    open({DialogAction::press(IDC_DEFAULTS), DialogAction::moveSlider(IDC_ZOOM_SLIDER, 3),
          DialogAction::escape(), DialogAction::press(1001), DialogAction::press(IDC_OK)});
    // WM_INITDIALOG, four commands, and the WM_CLOSE that OK sends.
    EXPECT_EQ(platform.dialogAnswers, (std::vector<std::intptr_t>(6, 0)));
}

// --- OK ---

TEST_F(SensitivityDialogTest, OkStoresTheValuesOfThePositions) {
    EXPECT_EQ(open({DialogAction::moveSlider(IDC_MOUSE_SLIDER, 29),
                    DialogAction::moveSlider(IDC_ZOOM_SLIDER, 7), DialogAction::press(IDC_OK)}),
              0);
    EXPECT_EQ(mouseSensitivity, 0.29f);
    EXPECT_EQ(zoomSensitivity, 0.7f);
    EXPECT_EQ(callsAfter("user presses 1004"),
              (Calls{getPosition(IDC_MOUSE_SLIDER), getPosition(IDC_ZOOM_SLIDER),
                     closedByTheProgram, ended}));
    EXPECT_FALSE(platform.dialogLeftOpen);
}

struct RoundTripRow {
    const char* name;
    unsigned slider;
    unsigned otherSlider;
    float* value;
    float* otherValue;
    float (*valueOf)(int position);
};

void PrintTo(const RoundTripRow& row, std::ostream* out) {
    *out << row.name;
}

class RoundTripTest : public SensitivityDialogTest,
                      public ::testing::WithParamInterface<RoundTripRow> {};

TEST_P(RoundTripTest, EveryPositionIsStoredAndShownAgainAtTheSamePlace) {
    const RoundTripRow& row = GetParam();
    const float otherBefore = *row.otherValue;
    for (int position = 1; position <= 50; ++position) {
        SCOPED_TRACE("position " + std::to_string(position));
        open({DialogAction::moveSlider(row.slider, position), DialogAction::press(IDC_OK)});
        const float stored = *row.value;
        EXPECT_EQ(stored, row.valueOf(position));

        int shownAgain = 0;
        open({DialogAction::look([&] { shownAgain = shown(row.slider); }),
              DialogAction::press(IDC_OK)});
        EXPECT_EQ(shownAgain, position);
        EXPECT_EQ(bitsOf(*row.value), bitsOf(stored));
        EXPECT_EQ(*row.otherValue, otherBefore);
        EXPECT_FALSE(platform.dialogLeftOpen);
    }
    EXPECT_TRUE(platform.dialogScript.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Sliders, RoundTripTest,
    ::testing::Values(RoundTripRow{"Mouse", IDC_MOUSE_SLIDER, IDC_ZOOM_SLIDER, &mouseSensitivity,
                                   &zoomSensitivity, mouseValueOf},
                      RoundTripRow{"Zoom", IDC_ZOOM_SLIDER, IDC_MOUSE_SLIDER, &zoomSensitivity,
                                   &mouseSensitivity, zoomValueOf}),
    [](const ::testing::TestParamInfo<RoundTripRow>& row) { return std::string(row.param.name); });

struct OutOfScaleRow {
    float mouse;
    float zoom;
    float mouseAfterOk; // the value of the position shown
    float zoomAfterOk;
};

void PrintTo(const OutOfScaleRow& row, std::ostream* out) {
    *out << "mouse " << row.mouse << " zoom " << row.zoom;
}

class OutOfScaleTest : public SensitivityDialogTest,
                       public ::testing::WithParamInterface<OutOfScaleRow> {};

TEST_P(OutOfScaleTest, OkReplacesAValueByThatOfThePositionShown) {
    mouseSensitivity = GetParam().mouse;
    zoomSensitivity = GetParam().zoom;
    open({DialogAction::press(IDC_OK)});
    EXPECT_EQ(mouseSensitivity, GetParam().mouseAfterOk);
    EXPECT_EQ(zoomSensitivity, GetParam().zoomAfterOk);
}

TEST_P(OutOfScaleTest, AnnulerKeepsTheValueAsItWas) {
    mouseSensitivity = GetParam().mouse;
    zoomSensitivity = GetParam().zoom;
    open({DialogAction::press(IDC_CANCEL)});
    EXPECT_EQ(bitsOf(mouseSensitivity), bitsOf(GetParam().mouse));
    EXPECT_EQ(bitsOf(zoomSensitivity), bitsOf(GetParam().zoom));
}

TEST_P(OutOfScaleTest, TheCloseBoxKeepsTheValueAsItWas) {
    mouseSensitivity = GetParam().mouse;
    zoomSensitivity = GetParam().zoom;
    open({DialogAction::closeBox()});
    EXPECT_EQ(bitsOf(mouseSensitivity), bitsOf(GetParam().mouse));
    EXPECT_EQ(bitsOf(zoomSensitivity), bitsOf(GetParam().zoom));
}

INSTANTIATE_TEST_SUITE_P(Values, OutOfScaleTest,
                         ::testing::Values(OutOfScaleRow{0.005f, 0.01f, 0.01f, 0.1f},
                                           OutOfScaleRow{0.8f, 9.0f, 0.5f, 5.0f},
                                           OutOfScaleRow{-3.0f, -1.0f, 0.01f, 0.1f},
                                           OutOfScaleRow{notANumber, notANumber, 0.01f, 0.1f},
                                           OutOfScaleRow{infinity, 1.0e30f, 0.5f, 5.0f},
                                           // In scale but between two positions.
                                           OutOfScaleRow{0.123f, 1.26f, 0.12f, 1.3f}));

// --- The exposed conversions ---

TEST(SliderConversionTest, AValueAndItsPositionMatchBothWays) {
    EXPECT_EQ(sliderValue(29, mouseScale), 0.29f);
    EXPECT_EQ(sliderValue(7, zoomScale), 0.7f);
    EXPECT_EQ(sliderValue(1, mouseScale), 0.01f);
    EXPECT_EQ(sliderValue(50, zoomScale), 5.0f);
    EXPECT_EQ(sliderPosition(sliderValue(29, mouseScale), mouseScale), 29);
    EXPECT_EQ(sliderPosition(sliderValue(7, zoomScale), zoomScale), 7);
}

// --- From the menu ---

class SensitivityCommandTest : public SensitivityDialogTest {
  protected:
    void SetUp() override {
        SensitivityDialogTest::SetUp();
        ASSERT_TRUE(platform.registerWindowClass({"OpenGL", viewerWindowProc, &viewerMenu}));
        mainWindow = platform.window();
        deviceContext = platform.dc();
        glContext = platform.gl();
        platform.calls.clear();
    }
};

TEST_F(SensitivityCommandTest, TheCommandOpensTemplate102OwnedByTheWindow) {
    platform.dialogScript = {DialogAction::moveSlider(IDC_MOUSE_SLIDER, 29),
                             DialogAction::moveSlider(IDC_ZOOM_SLIDER, 35),
                             DialogAction::press(IDC_OK)};
    EXPECT_EQ(viewerWindowProc(platform.window(), WM_COMMAND, CMD_SENSITIVITY, 0), 0);
    ASSERT_FALSE(platform.calls.empty());
    EXPECT_EQ(platform.calls.front(), openedLine);
    EXPECT_EQ(platform.calls.back(), ended);
    EXPECT_EQ(mouseSensitivity, 0.29f);
    EXPECT_EQ(zoomSensitivity, 3.5f);
    EXPECT_FALSE(platform.dialogOpen());
}

TEST_F(SensitivityCommandTest, TheDialogsResultIsNotTheCommandsAnswer) {
    platform.fail("dialogBox");
    EXPECT_EQ(viewerWindowProc(platform.window(), WM_COMMAND, CMD_SENSITIVITY, 0), 0);
    EXPECT_EQ(platform.calls, Calls{openedLine});
    EXPECT_EQ(mouseSensitivity, 0.1f);
}

// --- The template ---

struct ControlRow {
    unsigned id;
    const char* className;
    const char* text;
    int x, y, width, height;
};

TEST(SensitivityTemplateTest, HoldsTheSevenControlsInTabOrder) {
    const ControlRow expected[] = {
        {IDC_OK, "Button", "OK", 129, 7, 50, 14},
        {IDC_CANCEL, "Button", "Annuler", 129, 24, 50, 14},
        {IDC_MOUSE_SLIDER, "msctls_trackbar32", "", 11, 23, 103, 11},
        {IDC_ZOOM_SLIDER, "msctls_trackbar32", "", 11, 59, 103, 11},
        {IDC_STATIC, "Button", "Mouse sensitivity", 6, 10, 117, 31},
        {IDC_STATIC, "Button", "Zoom sensitivity", 5, 49, 117, 31},
        {IDC_DEFAULTS, "Button", "Default Settings", 127, 71, 55, 14},
    };
    EXPECT_EQ(sensitivityDialog.resourceId, 102);
    EXPECT_STREQ(sensitivityDialog.caption, "Sensitivity");
    EXPECT_EQ(sensitivityDialog.width, 186);
    EXPECT_EQ(sensitivityDialog.height, 95);
    ASSERT_EQ(sensitivityDialog.controlCount, 7);
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE("control " + std::to_string(i));
        const DialogControlTemplate& control = sensitivityDialog.controls[i];
        EXPECT_EQ(control.id, expected[i].id);
        EXPECT_STREQ(control.className, expected[i].className);
        EXPECT_STREQ(control.text, expected[i].text);
        EXPECT_EQ(control.x, expected[i].x);
        EXPECT_EQ(control.y, expected[i].y);
        EXPECT_EQ(control.width, expected[i].width);
        EXPECT_EQ(control.height, expected[i].height);
    }
    // OK is the default button (Enter); the two labelled frames are group boxes.
    constexpr unsigned buttonKind = 0x0F;
    EXPECT_EQ(sensitivityDialog.controls[0].style & buttonKind, 0x01u);
    EXPECT_EQ(sensitivityDialog.controls[1].style & buttonKind, 0x00u);
    EXPECT_EQ(sensitivityDialog.controls[4].style & buttonKind, 0x07u);
    EXPECT_EQ(sensitivityDialog.controls[5].style & buttonKind, 0x07u);
    EXPECT_EQ(sensitivityDialog.controls[6].style & buttonKind, 0x00u);
}

} // namespace
