#pragma once

// The projection's vertical field of view in degrees, and its near plane (the single-precision
// 0.1, widened).
constexpr double viewFieldOfView = 70.0;
constexpr double viewNearPlane = static_cast<double>(0.1f);

// The client size as last given to resizeViewport.
extern int windowWidth;
extern int windowHeight;

// The fixed GL state of the viewer: the start-up projection, depth test, culling of
// counter-clockwise faces, lighting by the light-model ambient alone, blending, smooth
// shading. Leaves the modelview matrix current and holding the identity. Always true.
bool setupScene();

// Viewport and projection for a new client size; a height of 0 counts as 1. Safe to call
// before any GL context exists: the size is still recorded.
void resizeViewport(int width, int height);
