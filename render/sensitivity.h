#pragma once

// Degrees of turn per pixel of pointer movement.
extern float mouseSensitivity;
// Distance units per wheel notch.
extern float zoomSensitivity;

constexpr float defaultMouseSensitivity = 0.1f;
constexpr float defaultZoomSensitivity = 2.0f;
