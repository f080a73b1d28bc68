#include "settings/sensitivity_dialog.h"

#include "platform/platform_services.h"
#include "platform/window_messages.h"
#include "render/sensitivity.h"
#include "resources/dialog_template.h"

#include <cmath>

namespace {

constexpr int lowestPosition = 1;
constexpr int highestPosition = 50;

void setSlider(DialogHandle dialog, unsigned slider, int position) {
    platformServices().sendDialogItemMessage(dialog, slider, TBM_SETPOS, 1, position);
}

int sliderAt(DialogHandle dialog, unsigned slider) {
    return static_cast<int>(
        platformServices().sendDialogItemMessage(dialog, slider, TBM_GETPOS, 0, 0));
}

void showValues(DialogHandle dialog) {
    setSlider(dialog, IDC_MOUSE_SLIDER, sliderPosition(mouseSensitivity, mouseScale));
    setSlider(dialog, IDC_ZOOM_SLIDER, sliderPosition(zoomSensitivity, zoomScale));
}

void initialise(DialogHandle dialog) {
    PlatformServices& platform = platformServices();
    std::intptr_t range = makeLParam(lowestPosition, highestPosition);
    platform.sendDialogItemMessage(dialog, IDC_MOUSE_SLIDER, TBM_SETRANGE, 0, range);
    setSlider(dialog, IDC_MOUSE_SLIDER, sliderPosition(mouseSensitivity, mouseScale));
    platform.sendDialogItemMessage(dialog, IDC_ZOOM_SLIDER, TBM_SETRANGE, 0, range);
    setSlider(dialog, IDC_ZOOM_SLIDER, sliderPosition(zoomSensitivity, zoomScale));
}

void runCommand(DialogHandle dialog, unsigned controlId) {
    switch (controlId) {
    case IDC_DEFAULTS:
        mouseSensitivity = defaultMouseSensitivity;
        zoomSensitivity = defaultZoomSensitivity;
        showValues(dialog);
        break;
    case IDC_OK:
        mouseSensitivity = sliderValue(sliderAt(dialog, IDC_MOUSE_SLIDER), mouseScale);
        zoomSensitivity = sliderValue(sliderAt(dialog, IDC_ZOOM_SLIDER), zoomScale);
        platformServices().sendMessage(dialog, WM_CLOSE, 0, 0);
        break;
    case IDC_CANCEL:
        platformServices().sendMessage(dialog, WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
}

} // namespace

// Rounding, not truncating, so that a value shows where it was set: 0.29 stays at 29.
int sliderPosition(float value, double scale) {
    double scaled = std::round(static_cast<double>(value) * scale);
    if (!(scaled >= lowestPosition)) return lowestPosition;
    if (scaled > highestPosition) return highestPosition;
    return static_cast<int>(scaled);
}

float sliderValue(int position, double scale) {
    return static_cast<float>(static_cast<double>(position) / scale);
}

std::intptr_t sensitivityDialogProc(DialogHandle dialog, unsigned message, std::uintptr_t wParam,
                                    std::intptr_t) {
    switch (message) {
    case WM_INITDIALOG:
        initialise(dialog);
        break;
    case WM_COMMAND:
        runCommand(dialog, lowWord(wParam));
        break;
    case WM_CLOSE:
        platformServices().endDialog(dialog, 0);
        break;
    default:
        break;
    }
    return 0;
}
