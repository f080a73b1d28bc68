#pragma once

#include "platform/window_types.h"

// Right-button drag turns the model, the wheel moves the eye. Single precision throughout.
extern bool dragging;
extern int lastMouseX;
extern int lastMouseY;

// Starts a drag at (x, y) and asks for a leave notice from window, which ends it.
void beginDrag(WindowHandle window, int x, int y);
// Turns by mouseSensitivity degrees a pixel: down lowers rotationY, right raises rotationZ.
void dragTo(int x, int y);
// Turns as a drag by (dx, dy) pixels would.
void turnBy(int dx, int dy);
void endDrag();
// Each notch away from the user brings the eye zoomSensitivity nearer.
void zoomBy(int notches);
