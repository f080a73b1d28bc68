#include "render/mouse_orbit.h"

#include "mesh/mesh_scene.h"
#include "platform/platform_services.h"
#include "render/sensitivity.h"

bool dragging = false;
int lastMouseX = 0;
int lastMouseY = 0;

void beginDrag(WindowHandle window, int x, int y) {
    platformServices().trackMouseLeave(window);
    lastMouseX = x;
    lastMouseY = y;
    dragging = true;
}

void dragTo(int x, int y) {
    auto dx = static_cast<float>(x - lastMouseX);
    auto dy = static_cast<float>(y - lastMouseY);
    lastMouseX = x;
    lastMouseY = y;
    // Each product is rounded to a float before it is added.
    float turnY = mouseSensitivity * dy;
    float turnZ = mouseSensitivity * dx;
    meshScene.rotationY = meshScene.rotationY - turnY;
    meshScene.rotationZ = meshScene.rotationZ + turnZ;
}

void endDrag() {
    dragging = false;
}

void zoomBy(int notches) {
    // Worked out exactly (the product fits a double) and rounded to a float once.
    double value = static_cast<double>(meshScene.cameraDistance) -
                   static_cast<double>(notches) * static_cast<double>(zoomSensitivity);
    meshScene.setDistance(static_cast<float>(value));
}
