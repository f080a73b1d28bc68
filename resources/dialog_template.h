#pragma once

#include "platform/window_types.h"

// Control ids of the Sensitivity dialog.
constexpr unsigned IDC_DEFAULTS = 1000;
constexpr unsigned IDC_MOUSE_SLIDER = 1002;
constexpr unsigned IDC_ZOOM_SLIDER = 1003;
constexpr unsigned IDC_OK = 1004;
constexpr unsigned IDC_CANCEL = 1005;
constexpr unsigned IDC_STATIC = 65535;

constexpr int IDD_SENSITIVITY = 102;

// Dialog resource 102: two trackbars in group boxes, OK, "Annuler", "Default Settings".
extern const DialogTemplate sensitivityDialog;
