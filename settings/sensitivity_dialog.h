#pragma once

#include "platform/window_types.h"

#include <cstdint>

// The Sensitivity dialog's handler: two trackbars 1..50 for mouseSensitivity (p / 100) and
// zoomSensitivity (p / 10), "Default Settings", "OK" and "Annuler". Answers 0 to everything.
std::intptr_t sensitivityDialogProc(DialogHandle dialog, unsigned message, std::uintptr_t wParam,
                                    std::intptr_t lParam);

// Trackbar position for a value, rounded to the nearest position and kept within 1..50.
int sliderPosition(float value, double scale);
// The value a position stands for, as the dialog stores it.
float sliderValue(int position, double scale);

constexpr double mouseScale = 100.0;
constexpr double zoomScale = 10.0;
