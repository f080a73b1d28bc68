#include "resources/dialog_template.h"

namespace {
const DialogControlTemplate sensitivityControls[] = {
    {IDC_OK, "Button", "OK", 129, 7, 50, 14, 0x50010001},
    {IDC_CANCEL, "Button", "Annuler", 129, 24, 50, 14, 0x50010000},
    {IDC_MOUSE_SLIDER, "msctls_trackbar32", "", 11, 23, 103, 11, 0x50010018},
    {IDC_ZOOM_SLIDER, "msctls_trackbar32", "", 11, 59, 103, 11, 0x50010018},
    {IDC_STATIC, "Button", "Mouse sensitivity", 6, 10, 117, 31, 0x50000007},
    {IDC_STATIC, "Button", "Zoom sensitivity", 5, 49, 117, 31, 0x50000007},
    {IDC_DEFAULTS, "Button", "Default Settings", 127, 71, 55, 14, 0x50010000},
};
} // namespace

const DialogTemplate sensitivityDialog = {IDD_SENSITIVITY,
                                          "Sensitivity",
                                          0,
                                          0,
                                          186,
                                          95,
                                          0x90C808CC,
                                          "Ms Shell Dlg",
                                          8,
                                          sensitivityControls,
                                          sizeof sensitivityControls /
                                              sizeof sensitivityControls[0]};
