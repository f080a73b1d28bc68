#include "render/sensitivity.h"

float mouseSensitivity = defaultMouseSensitivity;
float zoomSensitivity = defaultZoomSensitivity;
